// The Advanced Settings sheet without its widgets: the parameters of the
// adaptive training methods on three pages and a loading option on a
// fourth, each value stored in the settings the moment its field is left.
// The sheet's OK and Cancel only close it. GUI thread only.
#pragma once

#include <span>
#include <string>

#include "app/help_topics.h"
#include "files/network_config.h"
#include "files/reporter.h"

namespace nodelyx {

class Session;

struct AdvancedField {
  int id;  // the field's number on its page
  const char* label;
  ConfigField setting;
  double min, max;  // inclusive
};

struct AdvancedPage {
  const char* tabTitle;
  const char* title;  // the page's own heading
  const char* helpKeyword;
  std::span<const AdvancedField> fields;
  bool hasDefaults;  // a "Defaults" button restores the page's values
};

enum class AdvancedPageId { QuickProp = 0, Rprop = 1, DeltaBarDelta = 2, Misc = 3 };
inline constexpr int kAdvancedPageCount = 4;
inline constexpr int kShuffleOnLoadBox = 1014;
inline constexpr const char* kShuffleOnLoadLabel = "Randomize training data when loading";

// The pages in the order the sheet shows them.
std::span<const AdvancedPage> advancedPages();
const AdvancedPage& advancedPage(AdvancedPageId page);

// A page's value as its field shows it ("%f").
std::string advancedFieldText(double value);

class AdvancedSettingsView {
 public:
  virtual ~AdvancedSettingsView() = default;
  virtual void setFieldText(AdvancedPageId page, int id, const std::string& text) = 0;
  virtual std::string fieldText(AdvancedPageId page, int id) const = 0;
  virtual void focusField(AdvancedPageId page, int id) = 0;  // and select its text
  virtual void setShuffleChecked(bool checked) = 0;
  virtual void showMessage(const Message& message) = 0;
};

class AdvancedSettingsController {
 public:
  AdvancedSettingsController(Session& session, AdvancedSettingsView& view, HelpViewer& help);

  // The page is shown: its fields show the current settings.
  void pageActivated(AdvancedPageId page);
  // A field was left: its text is checked and stored, or refused with a
  // message and the previous value shown again.
  void fieldLeft(AdvancedPageId page, int id);
  void defaultsPressed(AdvancedPageId page);
  void helpPressed(AdvancedPageId page);
  // The loading option is a setting of the network design: changing it
  // marks the network modified (the rates do not).
  void shuffleClicked(bool checked);

 private:
  void showPage(AdvancedPageId page);

  Session& session_;
  AdvancedSettingsView& view_;
  HelpViewer& help_;
};

}  // namespace nodelyx
