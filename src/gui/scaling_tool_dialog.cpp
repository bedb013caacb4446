#include "gui/scaling_tool_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/scaling_tool.h"
#include "gui/dialog_parts.h"
#include "gui/dialog_widgets.h"
#include "gui/file_dialogs.h"
#include "gui/inputs_outputs_dialog.h"
#include "gui/numeric_edit.h"

namespace nodelyx {
namespace {

using namespace scaling_tool;

class ScalingToolDialog final : public QDialog, public WidgetDialogView<ScalingToolView> {
 public:
  ScalingToolDialog(QWidget* owner, const Session& session, HelpViewer& help);
  void run();

  // ScalingToolView.
  void setProgressBar(int percent) override { bar_->setValue(percent); }
  ChooseResult chooseFile(FileKind kind, DialogMode mode, std::string& path) override {
    return chooseFileWithDialog(this, kind, mode, path);
  }
  std::optional<InputsOutputs> askInputsOutputs(std::uint32_t firstLineCount) override {
    return askInputsOutputsDialog(this, firstLineCount);
  }
  void post(std::function<void()> task) override {
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
  }
  void runAndWait(const std::function<void()>& task) override {
    QMetaObject::invokeMethod(this, task, Qt::BlockingQueuedConnection);
  }

 protected:
  // The close box and Escape: refused while a run is going.
  void closeEvent(QCloseEvent* event) override {
    if (!tool_.closeRequested()) event->ignore();
  }
  void reject() override { tool_.closeRequested(); }

 private:
  void fileRow(QGridLayout& grid, int row, int buttonId, const char* label, int titleId, const char* name);
  QGroupBox* rangeGroup(const char* title, int boxId, const char* boxLabel, int lowId, int highId);
  QWidget* actionGroup();
  QLayout* progressRow();
  QLayout* buttonRow();
  QPushButton* button(int id, const char* label);
  QCheckBox* checkBox(int id, const char* label);
  QLineEdit* countField(int id, const char* label);

  ScalingTool tool_;
  QProgressBar* bar_ = nullptr;
};

ScalingToolDialog::ScalingToolDialog(QWidget* owner, const Session& session, HelpViewer& help)
    : QDialog(owner),
      WidgetDialogView<ScalingToolView>(static_cast<QDialog&>(*this)),
      tool_(session, *this, help, QCoreApplication::applicationDirPath().toStdString()) {
  setObjectName(QString::fromLatin1(kScalingToolDialogObjectName));
  setWindowTitle(QStringLiteral("Nodelyx Data Scaling"));
  setAccessibleName(windowTitle());
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* files = new QGridLayout;
  files->setColumnStretch(1, 1);
  fileRow(*files, 0, InputFile, "Input File", InputFileTitle, "Input file name");
  fileRow(*files, 1, OutputFile, "Output File", OutputFileTitle, "Output file name");
  fileRow(*files, 2, ScaleFile, "Scale File", ScaleFileTitle, "Scale file name");
  int buttonWidth = 0;
  for (const int id : {InputFile, OutputFile, ScaleFile})
    buttonWidth = std::max(buttonWidth, widgets_.widget(id)->sizeHint().width());
  for (const int id : {InputFile, OutputFile, ScaleFile}) widgets_.widget(id)->setMinimumWidth(buttonWidth);
  layout->addLayout(files);
  auto* counts = new QHBoxLayout;
  counts->addWidget(new QLabel(QStringLiteral("Number of Inputs")));
  counts->addWidget(countField(InputCount, "Number of Inputs"));
  counts->addSpacing(16);
  counts->addWidget(new QLabel(QStringLiteral("Number of Outputs")));
  counts->addWidget(countField(OutputCount, "Number of Outputs"));
  counts->addStretch();
  layout->addLayout(counts);
  auto* ranges = new QHBoxLayout;
  ranges->addWidget(rangeGroup("Network Inputs", ScaleInputs, "Scale/Unscale Inputs", InputLow, InputHigh));
  ranges->addWidget(
      rangeGroup("Network Outputs", ScaleOutputs, "Scale/Unscale Outputs", OutputLow, OutputHigh));
  layout->addLayout(ranges);
  layout->addWidget(actionGroup());
  layout->addWidget(checkBox(WriteHeader, "Save as Nodelyx training file"));
  layout->addLayout(progressRow());
  layout->addLayout(buttonRow());
  tool_.initialize();
}

void ScalingToolDialog::fileRow(QGridLayout& grid, int row, int buttonId, const char* label, int titleId,
                                const char* name) {
  grid.addWidget(button(buttonId, label), row, 0);
  auto* title = new QLabel(this);
  nameControl(*title, titleId, QString::fromLatin1(name));
  title->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  title->setMinimumWidth(260);
  title->setTextInteractionFlags(Qt::TextSelectableByMouse);
  grid.addWidget(title, row, 1);
  widgets_.add(titleId, title);
}

QGroupBox* ScalingToolDialog::rangeGroup(const char* title, int boxId, const char* boxLabel, int lowId,
                                         int highId) {
  auto* group = new QGroupBox(QString::fromLatin1(title), this);
  auto* form = new QFormLayout(group);
  form->addRow(checkBox(boxId, boxLabel));
  for (const auto& [id, label] : {std::pair{lowId, "Low Range"}, std::pair{highId, "High Range"}}) {
    auto* edit = new NumericEdit(true, group);
    nameControl(*edit, id, QString::fromLatin1(label));
    connect(edit, &NumericEdit::commitRequested, this,
            [this, id = id] { tool_.fieldNotified(id, FieldNotification::KillFocus); });
    form->addRow(QString::fromLatin1(label), edit);
    widgets_.add(id, edit);
  }
  return group;
}

QWidget* ScalingToolDialog::actionGroup() {
  auto* group = new QGroupBox(this);
  auto* row = new QHBoxLayout(group);
  auto* exclusive = new QButtonGroup(group);
  for (const auto& [id, label] :
       {std::pair{ScaleFromRanges, "Scale from ranges"}, std::pair{ScaleFromFile, "Scale from file"},
        std::pair{UnscaleFromFile, "Unscale from file"}}) {
    auto* radio = new QRadioButton(QString::fromLatin1(label), group);
    nameControl(*radio, id, radio->text());
    exclusive->addButton(radio);
    connect(radio, &QRadioButton::clicked, this, [this, id = id] { tool_.radioClicked(id); });
    row->addWidget(radio);
    widgets_.add(id, radio);
  }
  return group;
}

QLayout* ScalingToolDialog::progressRow() {
  auto* row = new QHBoxLayout;
  bar_ = new QProgressBar(this);
  nameControl(*bar_, ProgressBar, QStringLiteral("Progress"));
  bar_->setRange(0, 100);
  bar_->setTextVisible(false);
  auto* percent = new QLabel(this);
  nameControl(*percent, Percent, QStringLiteral("Percent done"));
  // Room for "100 %" from the start, so the bar does not jump.
  percent->setMinimumWidth(percent->fontMetrics().horizontalAdvance(QStringLiteral("100 %")) + 8);
  percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  widgets_.add(ProgressBar, bar_);
  widgets_.add(Percent, percent);
  row->addWidget(bar_, 1);
  row->addWidget(percent);
  return row;
}

QLayout* ScalingToolDialog::buttonRow() {
  auto* row = new QHBoxLayout;
  row->addStretch();
  for (const auto& [id, label] : {std::pair{Scale, "Scale"}, std::pair{Abort, "Abort"},
                                  std::pair{Exit, "Exit"}, std::pair{Help, "Help"}})
    row->addWidget(button(id, label));
  return row;
}

// Enter in a range edit commits it and presses nothing.
QPushButton* ScalingToolDialog::button(int id, const char* label) {
  auto* button = new QPushButton(QString::fromLatin1(label), this);
  nameControl(*button, id, button->text());
  button->setAutoDefault(false);
  connect(button, &QPushButton::clicked, this, [this, id] { tool_.buttonClicked(id); });
  widgets_.add(id, button);
  return button;
}

QCheckBox* ScalingToolDialog::checkBox(int id, const char* label) {
  auto* box = new QCheckBox(QString::fromLatin1(label), this);
  nameControl(*box, id, box->text());
  connect(box, &QCheckBox::clicked, this, [this, id](bool checked) { tool_.checkBoxClicked(id, checked); });
  widgets_.add(id, box);
  return box;
}

QLineEdit* ScalingToolDialog::countField(int id, const char* label) {
  auto* field = new QLineEdit(this);
  nameControl(*field, id, QString::fromLatin1(label));
  field->setReadOnly(true);
  field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12);
  widgets_.add(id, field);
  return field;
}

void ScalingToolDialog::run() {
  exec();
  // exec() also returns when the application quits: stop a run, and serve
  // its calls (its message boxes return at once then) until it has ended.
  tool_.abortAndWait([] { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); });
}

}  // namespace

void runScalingToolDialog(QWidget* owner, const Session& session, HelpViewer& help) {
  ScalingToolDialog dialog(owner, session, help);
  dialog.run();
}

}  // namespace nodelyx
