#include "app/advanced_settings.h"

#include <gtest/gtest.h>

#include <map>

#include "app/session.h"
#include "app/session_files.h"

namespace nodelyx {
namespace {

using P = AdvancedPageId;

class FakeSheet final : public AdvancedSettingsView, public HelpViewer {
 public:
  void setFieldText(AdvancedPageId page, int id, const std::string& text) override {
    fields[{page, id}] = text;
  }
  std::string fieldText(AdvancedPageId page, int id) const override { return fields.at({page, id}); }
  void focusField(AdvancedPageId page, int id) override { focused = {page, id}; }
  void setShuffleChecked(bool checked) override { shuffleChecked = checked; }
  void showMessage(const Message& message) override { messages.push_back(message); }
  void showHelp(const std::string& keyword) override { help.push_back(keyword); }

  std::string text(AdvancedPageId page, int id) const { return fieldText(page, id); }

  std::map<std::pair<AdvancedPageId, int>, std::string> fields;
  std::pair<AdvancedPageId, int> focused{P::Misc, 0};
  bool shuffleChecked = false;
  std::vector<Message> messages;
  std::vector<std::string> help;
};

class AdvancedSettingsTest : public ::testing::Test {
 protected:
  AdvancedSettingsTest() { resetSession(session); }
  // Types into a field of the page and leaves it.
  void type(AdvancedPageId page, int id, const std::string& text) {
    sheet.setFieldText(page, id, text);
    controller.fieldLeft(page, id);
  }

  Session session;
  FakeSheet sheet;
  AdvancedSettingsController controller{session, sheet, sheet};
};

TEST_F(AdvancedSettingsTest, PagesShowTheSettingsAndDefaultsRestoreThem) {
  ASSERT_EQ(advancedPages().size(), 4u);
  EXPECT_STREQ(advancedPages()[0].tabTitle, "QuickProp");
  controller.pageActivated(P::QuickProp);
  EXPECT_EQ(sheet.text(P::QuickProp, 10), "1.750000");
  controller.pageActivated(P::Rprop);
  const char* rpropDefaults[] = {"1.200000", "0.500000", "0.000001", "50.000000", "0.001000"};
  for (int id = 10; id <= 14; ++id) EXPECT_EQ(sheet.text(P::Rprop, id), rpropDefaults[id - 10]) << id;

  type(P::Rprop, 10, "2.5");
  type(P::Rprop, 13, "7");
  EXPECT_EQ(session.config.rpropIncrease(), 2.5);
  EXPECT_EQ(sheet.text(P::Rprop, 10), "2.500000");
  controller.defaultsPressed(P::Rprop);
  EXPECT_EQ(session.config.rpropIncrease(), 1.2);
  EXPECT_EQ(session.config.rpropMaxStep(), 50.0);
  for (int id = 10; id <= 14; ++id) EXPECT_EQ(sheet.text(P::Rprop, id), rpropDefaults[id - 10]) << id;
  EXPECT_FALSE(session.networkModified) << "the rates are not part of the saved design's flag";
}

TEST_F(AdvancedSettingsTest, ValuesAreCheckedAgainstTheirRanges) {
  struct Case {
    const char* name;
    AdvancedPageId page;
    int id;
    const char* typed;
    const char* shown;
    const char* message;  // "" when accepted
  };
  const Case cases[] = {
      {"increase below 1", P::Rprop, 10, "0", "1.200000", "Enter a value between 1.000000 and 10.000000"},
      {"averaging may be 0", P::DeltaBarDelta, 12, "0", "0.000000", ""},
      {"growth above 100", P::QuickProp, 10, "100.5", "1.750000",
       "Enter a value between 0.000000 and 100.000000"},
      {"not a number", P::DeltaBarDelta, 10, "0.1x", "0.060000",
       "Enter a value between 0.000000 and 10.000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    controller.pageActivated(c.page);
    sheet.messages.clear();
    type(c.page, c.id, c.typed);
    EXPECT_EQ(sheet.text(c.page, c.id), c.shown);
    if (*c.message == '\0') {
      EXPECT_TRUE(sheet.messages.empty());
      continue;
    }
    ASSERT_EQ(sheet.messages.size(), 1u);
    EXPECT_EQ(sheet.messages[0].title, "Error");
    EXPECT_EQ(sheet.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(sheet.messages[0].text, c.message);
    EXPECT_EQ(sheet.focused, std::make_pair(c.page, c.id));
  }
  EXPECT_EQ(session.config.dbdAverage(), 0.0);
  EXPECT_EQ(session.config.rpropIncrease(), 1.2);
}

TEST_F(AdvancedSettingsTest, TheLoadingOptionMarksTheNetworkModifiedAndEachPageHasItsHelp) {
  controller.pageActivated(P::Misc);
  EXPECT_FALSE(sheet.shuffleChecked);
  controller.shuffleClicked(true);
  EXPECT_EQ(session.config.shuffleOnLoad(), 1);
  EXPECT_TRUE(session.networkModified);
  for (int page = 0; page < kAdvancedPageCount; ++page)
    controller.helpPressed(static_cast<AdvancedPageId>(page));
  EXPECT_EQ(sheet.help,
            (std::vector<std::string>{"QuickProp", "RPROP", "Delta Bar Delta", "Misc. Settings"}));
}

}  // namespace
}  // namespace nodelyx
