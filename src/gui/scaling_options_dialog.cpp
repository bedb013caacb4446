#include "gui/scaling_options_dialog.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/scaling_options.h"
#include "gui/dialog_parts.h"
#include "gui/dialog_widgets.h"
#include "gui/numeric_edit.h"

namespace nodelyx {
namespace {

using namespace scaling_options;

class ScalingOptionsDialog final : public QDialog, public WidgetDialogView<ScalingOptionsView> {
 public:
  ScalingOptionsDialog(QWidget* owner, Session& session, HelpViewer& help);

  // ScalingOptionsView.
  void setListItems(int, const std::vector<std::string>& items) override {
    parameter_->clear();
    for (const std::string& item : items) parameter_->addItem(QString::fromStdString(item));
  }
  void selectListItem(int, int index) override { parameter_->setCurrentIndex(index); }

 protected:
  // The close box and Escape end the dialog without handing the record on.
  void closeEvent(QCloseEvent*) override { options_.close(); }
  void reject() override { options_.close(); }

 private:
  QGroupBox* actionGroup();
  QGroupBox* manualGroup();
  QGroupBox* rangeGroup(const char* title, int lowId, int highId);
  QPushButton* button(int id, const char* label);

  ScalingOptions options_;
  QComboBox* parameter_ = nullptr;
};

ScalingOptionsDialog::ScalingOptionsDialog(QWidget* owner, Session& session, HelpViewer& help)
    : QDialog(owner),
      WidgetDialogView<ScalingOptionsView>(static_cast<QDialog&>(*this)),
      options_(session, *this, help) {
  setObjectName(QString::fromLatin1(kScalingOptionsDialogObjectName));
  setWindowTitle(QStringLiteral("Data Scaling Settings"));
  setAccessibleName(windowTitle());
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(actionGroup());
  layout->addWidget(manualGroup());
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(button(Ok, "OK"));
  buttons->addWidget(button(Help, "Help"));
  layout->addLayout(buttons);
  options_.initialize();
}

QGroupBox* ScalingOptionsDialog::actionGroup() {
  auto* group = new QGroupBox(QStringLiteral("Scale Action"), this);
  auto* row = new QHBoxLayout(group);
  auto* exclusive = new QButtonGroup(group);
  for (const auto& [id, label] :
       {std::pair{None, "None"}, std::pair{Auto, "Auto"}, std::pair{Manual, "Manual"}}) {
    auto* radio = new QRadioButton(QString::fromLatin1(label), group);
    nameControl(*radio, id, radio->text());
    exclusive->addButton(radio);
    connect(radio, &QRadioButton::clicked, this, [this, id = id] { options_.modeClicked(id); });
    row->addWidget(radio);
    widgets_.add(id, radio);
  }
  row->addStretch();
  return group;
}

QGroupBox* ScalingOptionsDialog::manualGroup() {
  auto* group = new QGroupBox(QStringLiteral("Manual Configuration"), this);
  auto* layout = new QVBoxLayout(group);
  auto* form = new QFormLayout;
  parameter_ = new QComboBox(group);
  nameControl(*parameter_, Parameter, QStringLiteral("Parameter"));
  parameter_->setMinimumContentsLength(10);
  connect(parameter_, &QComboBox::activated, this, [this](int index) { options_.parameterSelected(index); });
  widgets_.add(Parameter, parameter_);
  form->addRow(QStringLiteral("Parameter"), parameter_);
  layout->addLayout(form);
  auto* ranges = new QHBoxLayout;
  ranges->addWidget(rangeGroup("Raw Data Range", RawLow, RawHigh));
  ranges->addWidget(rangeGroup("Scaled Data Range", ScaledLow, ScaledHigh));
  layout->addLayout(ranges);
  return group;
}

QGroupBox* ScalingOptionsDialog::rangeGroup(const char* title, int lowId, int highId) {
  auto* group = new QGroupBox(QString::fromLatin1(title), this);
  auto* form = new QFormLayout(group);
  for (const auto& [id, label] : {std::pair{lowId, "Low"}, std::pair{highId, "High"}}) {
    auto* edit = new NumericEdit(true, group);
    nameControl(*edit, id, QString::fromLatin1(label));
    connect(edit, &NumericEdit::commitRequested, this,
            [this, id = id] { options_.fieldNotified(id, FieldNotification::KillFocus); });
    form->addRow(QString::fromLatin1(label), edit);
    widgets_.add(id, edit);
  }
  return group;
}

QPushButton* ScalingOptionsDialog::button(int id, const char* label) {
  auto* button = new QPushButton(QString::fromLatin1(label), this);
  nameControl(*button, id, button->text());
  button->setAutoDefault(false);
  connect(button, &QPushButton::clicked, this, [this, id] {
    if (id == Ok)
      options_.ok();
    else
      options_.help();
  });
  widgets_.add(id, button);
  return button;
}

}  // namespace

void runScalingOptionsDialog(QWidget* owner, Session& session, HelpViewer& help) {
  ScalingOptionsDialog dialog(owner, session, help);
  dialog.exec();
}

}  // namespace nodelyx
