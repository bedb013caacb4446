#include "gui/advanced_settings_dialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <map>

#include "app/advanced_settings.h"
#include "gui/dialog_parts.h"
#include "gui/message_box.h"
#include "gui/numeric_edit.h"

namespace nodelyx {
namespace {

constexpr int kDefaultsButton = 101;
constexpr int kHelpButton = 9;

QString qtext(const char* text) { return QString::fromUtf8(text); }

class AdvancedSettingsDialog final : public QDialog, private AdvancedSettingsView {
 public:
  AdvancedSettingsDialog(QWidget* owner, Session& session, HelpViewer& help)
      : QDialog(owner), controller_(session, *this, help) {
    setObjectName(QString::fromLatin1(kAdvancedSettingsObjectName));
    setWindowTitle(QStringLiteral("Advanced Settings"));
    setAccessibleName(windowTitle());
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("pages"));
    tabs_->setAccessibleName(QStringLiteral("Pages"));
    // All four tabs in view: the sheet grows to fit them.
    tabs_->setUsesScrollButtons(false);
    for (int page = 0; page < kAdvancedPageCount; ++page) addPage(static_cast<AdvancedPageId>(page));
    layout->addWidget(tabs_);
    layout->addWidget(addOkCancelButtons(*this));
    connect(tabs_, &QTabWidget::currentChanged, this,
            [this](int page) { controller_.pageActivated(static_cast<AdvancedPageId>(page)); });
    controller_.pageActivated(AdvancedPageId::QuickProp);
  }

 private:
  void addPage(AdvancedPageId id) {
    const AdvancedPage& page = advancedPage(id);
    auto* widget = new QWidget;
    auto* layout = new QVBoxLayout(widget);
    auto* group = new QGroupBox(qtext(page.title), widget);
    auto* form = new QFormLayout(group);
    for (const AdvancedField& field : page.fields) {
      auto* input = new NumericEdit(true, group);
      nameControl(*input, field.id, qtext(field.label));
      connect(input, &NumericEdit::commitRequested, this, [this, id, input, fieldId = field.id] {
        controller_.fieldLeft(id, fieldId);
        input->setModified(false);
      });
      form->addRow(qtext(field.label), input);
      edits_[{id, field.id}] = input;
    }
    if (id == AdvancedPageId::Misc) {
      shuffle_ = new QCheckBox(qtext(kShuffleOnLoadLabel), group);
      nameControl(*shuffle_, kShuffleOnLoadBox, shuffle_->text());
      connect(shuffle_, &QCheckBox::clicked, this,
              [this](bool checked) { controller_.shuffleClicked(checked); });
      form->addRow(shuffle_);
    }
    layout->addWidget(group);
    layout->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    if (page.hasDefaults) {
      auto* defaults = addButton(*buttons, kDefaultsButton, QStringLiteral("Defaults"));
      connect(defaults, &QPushButton::clicked, this, [this, id] { controller_.defaultsPressed(id); });
    }
    auto* helpButton = addButton(*buttons, kHelpButton, QStringLiteral("Help"));
    connect(helpButton, &QPushButton::clicked, this, [this, id] { controller_.helpPressed(id); });
    layout->addLayout(buttons);
    tabs_->addTab(widget, qtext(page.tabTitle));
  }

  static QPushButton* addButton(QHBoxLayout& row, int id, const QString& text) {
    auto* button = new QPushButton(text);
    nameControl(*button, id, text);
    button->setAutoDefault(false);
    row.addWidget(button);
    return button;
  }

  NumericEdit* edit(AdvancedPageId page, int id) const { return edits_.at({page, id}); }

  // AdvancedSettingsView.
  void setFieldText(AdvancedPageId page, int id, const std::string& text) override {
    edit(page, id)->setText(QString::fromStdString(text));
  }
  std::string fieldText(AdvancedPageId page, int id) const override {
    return edit(page, id)->text().toStdString();
  }
  void focusField(AdvancedPageId page, int id) override {
    tabs_->setCurrentIndex(static_cast<int>(page));
    edit(page, id)->setFocus(Qt::OtherFocusReason);
    edit(page, id)->selectAll();
  }
  void setShuffleChecked(bool checked) override { shuffle_->setChecked(checked); }
  void showMessage(const Message& message) override { showMessageBox(this, message, MessageButtons::Ok); }

  AdvancedSettingsController controller_;
  QTabWidget* tabs_ = nullptr;
  QCheckBox* shuffle_ = nullptr;
  std::map<std::pair<AdvancedPageId, int>, NumericEdit*> edits_;
};

}  // namespace

void runAdvancedSettingsDialog(QWidget* owner, Session& session, HelpViewer& help) {
  AdvancedSettingsDialog dialog(owner, session, help);
  dialog.exec();
}

}  // namespace nodelyx
