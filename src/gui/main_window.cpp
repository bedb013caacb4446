#include "gui/main_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <vector>

#include "app/panel_fields.h"
#include "app/status_hints.h"
#include "gui/about_dialog.h"
#include "gui/advanced_settings_dialog.h"
#include "gui/data_read_dialog.h"
#include "gui/error_plot_window.h"
#include "gui/file_dialogs.h"
#include "gui/gui_resources.h"
#include "gui/help_window.h"
#include "gui/history_window.h"
#include "gui/main_menus.h"
#include "gui/main_toolbar.h"
#include "gui/message_box.h"
#include "gui/network_view_window.h"
#include "gui/numeric_edit.h"
#include "gui/output_choices_dialog.h"
#include "gui/scaling_options_dialog.h"
#include "gui/scaling_tool_dialog.h"
#include "gui/spin_buttons.h"

namespace nodelyx {
namespace {

// The largest start size: a 1024 × 768 screen less a panel or task bar.
constexpr QSize kLargestStartSize{1024, 740};

QString qtext(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

class MainWindow::ControllerCall {
 public:
  explicit ControllerCall(MainWindow& window) : window_(window) { ++window_.controllerDepth_; }
  ~ControllerCall() { --window_.controllerDepth_; }
  ControllerCall(const ControllerCall&) = delete;
  ControllerCall& operator=(const ControllerCall&) = delete;

 private:
  MainWindow& window_;
};

MainWindow::MainWindow(const std::filesystem::path& programDirectory, QWidget* parent)
    : QMainWindow(parent),
      runBridge_([this](const EpochStatistics& stats) { controller_.showEpochStatistics(stats); },
                 [this] { controller_.runEnded(); }),
      toolWindows_([this](ToolWindow which) { return makeToolWindow(which); }),
      controller_(session_, *this, programDirectory, &recentFileSettings_) {
  setObjectName(QStringLiteral("mainWindow"));
  menus_ = std::make_unique<MainMenus>(*this, [this](ControlId id) { runCommand(id); });
  panel_ = buildPanel(this);
  setCentralWidget(panel_.panel);
  connectPanel();
  createToolbarAndStatusBar();
  help_ = std::make_unique<HelpWindowViewer>(programDirectory, this);
  watchPointerAndHelpKey();
  setAcceptDrops(true);
  setWindowIcon(applicationIcon());
  setWindowTitle(controller_.windowTitle());
  controller_.setRunObserver(&runBridge_);
  runBridge_.setSampleViewer([this] { showSamples(); });
  toolWindows_.create(ToolWindow::ErrorPlot);
  toolWindows_.create(ToolWindow::NetworkView);
}

MainWindow::~MainWindow() {
  // The hints call the controller, which is destroyed before the widgets.
  panel_.panel->removeEventFilter(this);
  for (const auto& [id, widget] : panel_.controls) widget->removeEventFilter(this);
}

void MainWindow::initialize() {
  ControllerCall call(*this);
  controller_.initialize();
}

void MainWindow::openCommandLineFile(const std::string& argument) {
  ControllerCall call(*this);
  controller_.openCommandLineFile(argument);
}

bool MainWindow::queryEndSession() {
  commitFocusedEdit();
  ControllerCall call(*this);
  return controller_.queryEndSession();
}

void MainWindow::connectPanel() {
  for (const PanelField& field : panelFields()) {
    QWidget* widget = control(field.id);
    if (widget == nullptr) continue;
    const ControlId id = field.id;
    switch (field.kind) {
      case FieldKind::Float:
      case FieldKind::Integer: {
        auto* edit = static_cast<NumericEdit*>(widget);
        connect(edit, &NumericEdit::commitRequested, this,
                [this, id] { commitField(id, FieldNotification::KillFocus); });
        // The hidden-layer count changes the topology as it is typed; text
        // the controller writes does not come back as an edit.
        if (field.rule == RangeRule::UpToMaxHiddenLayers) {
          connect(edit, &QLineEdit::textEdited, this,
                  [this, id] { commitField(id, FieldNotification::Update); });
        }
        break;
      }
      case FieldKind::Check:
        connect(static_cast<QCheckBox*>(widget), &QCheckBox::clicked, this, [this, id](bool checked) {
          ControllerCall call(*this);
          controller_.checkBoxClicked(id, checked);
        });
        break;
      case FieldKind::List: {
        auto* list = static_cast<QComboBox*>(widget);
        connect(list, &QComboBox::activated, this, [this, id, list](int index) {
          ControllerCall call(*this);
          controller_.listSelected(id, list->itemText(index).toStdString());
        });
        break;
      }
      case FieldKind::Button:
        connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this,
                [this, id] { runCommand(id); });
        break;
      case FieldKind::Text:
        break;
    }
  }
  if (auto* spin = qobject_cast<SpinButtons*>(control(ControlId::HiddenLayerSpin))) {
    connect(spin, &SpinButtons::stepped, this,
            [this] { commitField(ControlId::HiddenLayerCount, FieldNotification::Update); });
  }
}

void MainWindow::createToolbarAndStatusBar() {
  toolbar_ = new MainToolbar(
      *menus_, [this](ControlId id) { runCommand(id); }, this);
  addToolBar(Qt::TopToolBarArea, toolbar_);
  statusText_ = new QLabel(QString::fromLatin1(kReadyStatus));
  statusText_->setObjectName(QStringLiteral("statusText"));
  statusText_->setAccessibleName(QStringLiteral("Status"));
  statusBar()->setObjectName(QStringLiteral("statusBar"));
  statusBar()->addWidget(statusText_, 1);
  statusBar()->setSizeGripEnabled(true);
}

void MainWindow::watchPointerAndHelpKey() {
  menus_->connectHints([this](ControlId id) { controller_.menuHighlighted(id); },
                       [this] { controller_.menusClosed(); });
  panel_.panel->installEventFilter(this);
  for (const auto& [id, widget] : panel_.controls) widget->installEventFilter(this);
  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  help->setContext(Qt::WindowShortcut);
  connect(help, &QShortcut::activated, this, [this] {
    if (controllerDepth_ == 0) controller_.contextHelp(idOf(focusWidget()));
  });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
    if (watched == errorPlot() || watched == networkView()) updateSamplesWanted();
    return QMainWindow::eventFilter(watched, event);
  }
  const bool entered = event->type() == QEvent::Enter;
  if (entered || event->type() == QEvent::Leave) {
    // Leaving a control puts the pointer over the panel itself.
    const ControlId id =
        entered && watched != panel_.panel ? idOf(static_cast<QWidget*>(watched)) : ControlId::None;
    controller_.pointerOver(id);
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::runCommand(ControlId id) {
  if (controllerDepth_ > 0) return;
  commitFocusedEdit();
  ControllerCall call(*this);
  controller_.command(id);
}

void MainWindow::commitField(ControlId id, FieldNotification notification) {
  // Focus changes made by the controller itself (a message box, a refused
  // field taking the focus back) are not the user leaving a field.
  if (controllerDepth_ > 0) return;
  {
    ControllerCall call(*this);
    controller_.fieldNotified(id, notification);
  }
  if (notification == FieldNotification::KillFocus) {
    if (auto* edit = qobject_cast<QLineEdit*>(control(id))) edit->setModified(false);
  }
}

void MainWindow::commitFocusedEdit() {
  auto* edit = qobject_cast<NumericEdit*>(focusWidget());
  if (edit != nullptr && edit->isModified()) commitField(idOf(edit), FieldNotification::KillFocus);
}

ControlId MainWindow::idOf(const QWidget* widget) const {
  for (const auto& [id, control] : panel_.controls) {
    if (control == widget) return id;
  }
  return ControlId::None;
}

QWidget* MainWindow::control(ControlId id) const {
  const auto found = panel_.controls.find(id);
  return found == panel_.controls.end() ? nullptr : found->second;
}

QAction* MainWindow::commandAction(ControlId id) const {
  if (QAction* run = toolbar_ ? toolbar_->runAction(id) : nullptr) return run;
  return menus_ ? menus_->action(id) : nullptr;
}

QSize MainWindow::startSize() const {
  QSize size = sizeHint().expandedTo(minimumSizeHint());
  if (const QScreen* screen = this->screen()) size = size.boundedTo(screen->availableGeometry().size());
  return size.boundedTo(kLargestStartSize);
}

// --- MainView --------------------------------------------------------------

void MainWindow::setControlText(ControlId id, const std::string& text) {
  QWidget* widget = control(id);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(qtext(text));
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(qtext(text));
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(qtext(text));
  }
}

std::string MainWindow::controlText(ControlId id) const {
  const QWidget* widget = control(id);
  if (auto* edit = qobject_cast<const QLineEdit*>(widget)) return edit->text().toStdString();
  if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text().toStdString();
  if (auto* list = qobject_cast<const QComboBox*>(widget)) return list->currentText().toStdString();
  if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text().toStdString();
  return {};
}

void MainWindow::setControlEnabled(ControlId id, bool enabled) {
  if (QWidget* widget = control(id)) {
    // A control that is disabled while it has the focus leaves the focus
    // with the window, rather than Qt passing it on to the next field.
    if (!enabled && widget->hasFocus()) setFocus(Qt::OtherFocusReason);
    widget->setEnabled(enabled);
  }
  if (QAction* action = commandAction(id)) action->setEnabled(enabled);
}

void MainWindow::setControlChecked(ControlId id, bool checked) {
  if (auto* box = qobject_cast<QAbstractButton*>(control(id)); box != nullptr && box->isCheckable())
    box->setChecked(checked);
  if (id == ControlId::Train || id == ControlId::Stop)
    toolbar_->setRunPressed(checked == (id == ControlId::Train));
}

void MainWindow::selectListItem(ControlId id, int index) {
  if (auto* list = qobject_cast<QComboBox*>(control(id))) list->setCurrentIndex(index);
}

void MainWindow::focusControl(ControlId id, bool selectAll) {
  QWidget* widget = id == ControlId::None ? this : control(id);
  if (widget == nullptr) return;
  widget->setFocus(Qt::OtherFocusReason);
  if (auto* edit = qobject_cast<QLineEdit*>(widget); edit != nullptr && selectAll) edit->selectAll();
}

void MainWindow::setCaretAtEnd(ControlId id) {
  if (auto* edit = qobject_cast<QLineEdit*>(control(id))) edit->end(false);
}

void MainWindow::beep() { QApplication::beep(); }

void MainWindow::setWindowTitle(const std::string& title) { QMainWindow::setWindowTitle(qtext(title)); }

MessageAnswer MainWindow::showMessage(const Message& message, MessageButtons buttons) {
  return showMessageBox(this, message, buttons);
}

ChooseResult MainWindow::chooseFile(FileKind kind, DialogMode mode, std::string& path) {
  return chooseFileWithDialog(this, kind, mode, path);
}

std::optional<OutputChoices> MainWindow::askOutputChoices(const OutputChoices& current) {
  return askOutputChoicesDialog(this, current);
}

DataReadOutcome MainWindow::readDataFile(const DataReadRequest& request, Reporter& reporter) {
  return readDataFileWithProgress(this, request, reporter);
}

void MainWindow::showToolWindow(ToolWindow window) { toolWindows_.show(window, frameGeometry()); }

std::unique_ptr<QWidget> MainWindow::makeToolWindow(ToolWindow which) {
  std::unique_ptr<QWidget> window;
  switch (which) {
    case ToolWindow::HistoryWindow: {
      std::string text;
      writeHistory(text, session_.history);
      return std::make_unique<HistoryWindow>(text, *this);
    }
    case ToolWindow::ErrorPlot:
      window = std::make_unique<ErrorPlotWindow>(session_, *this);
      break;
    case ToolWindow::NetworkView:
      window = std::make_unique<NetworkViewWindow>(session_, *this);
      break;
    default:
      return nullptr;
  }
  // The run hands its samples over only while one of these is shown.
  window->installEventFilter(this);
  return window;
}

ErrorPlotWindow* MainWindow::errorPlot() const {
  return static_cast<ErrorPlotWindow*>(toolWindows_.window(ToolWindow::ErrorPlot));
}

NetworkViewWindow* MainWindow::networkView() const {
  return static_cast<NetworkViewWindow*>(toolWindows_.window(ToolWindow::NetworkView));
}

void MainWindow::plotsChanged(PlotChange change) {
  switch (change) {
    case PlotChange::Samples:
      errorPlot()->samplesChanged();
      break;
    case PlotChange::Weights:
      networkView()->weightsChanged();
      break;
    case PlotChange::Network:
      networkView()->networkChanged();
      break;
  }
}

void MainWindow::showSamples() {
  if (toolWindows_.visible(ToolWindow::ErrorPlot)) errorPlot()->samplesChanged();
  if (toolWindows_.visible(ToolWindow::NetworkView)) networkView()->weightsChanged();
}

void MainWindow::updateSamplesWanted() {
  runBridge_.setSamplesWanted(toolWindows_.visible(ToolWindow::ErrorPlot) ||
                              toolWindows_.visible(ToolWindow::NetworkView));
}

void MainWindow::runModalDialog(ModalDialog dialog) {
  switch (dialog) {
    case ModalDialog::AdvancedSettings:
      runAdvancedSettingsDialog(this, session_, *this);
      break;
    case ModalDialog::About:
      runAboutDialog(this);
      break;
    case ModalDialog::DataScaling:
      runScalingToolDialog(this, session_, *this);
      break;
    case ModalDialog::ScalingOptions:
      runScalingOptionsDialog(this, session_, *this);
      break;
  }
}

void MainWindow::setStatusText(const std::string& text) { statusText_->setText(qtext(text)); }

void MainWindow::setRecentFiles(const std::vector<std::string>& paths) { menus_->setRecentFiles(paths); }

void MainWindow::showHelp(const std::string& keyword) { help_->showHelp(keyword); }

QWidget* MainWindow::helpWindow() const { return help_->window(); }

void MainWindow::serviceEvents() {
  // The logic is waiting for a run to end: deliver the run's own calls and
  // repaint, but hold the user's input until the wait is over, so nothing
  // the user does re-enters the logic meanwhile.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
}

void MainWindow::closeWindow() {
  // The close sequence runs once the command that asked for it has
  // returned, as if the user had closed the window.
  QMetaObject::invokeMethod(
      this, [this] { close(); }, Qt::QueuedConnection);
}

// --- Window events -----------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event) {
  // A close request while the logic is busy (a close from the window
  // manager during a wait) is refused; the user can close again after.
  if (controllerDepth_ > 0) {
    event->ignore();
    return;
  }
  commitFocusedEdit();
  bool closing = false;
  {
    ControllerCall call(*this);
    closing = controller_.close();
  }
  if (!closing) {
    event->ignore();
    return;
  }
  toolWindows_.hideAll();
  event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  const bool allFiles = !urls.isEmpty() && std::all_of(urls.begin(), urls.end(),
                                                       [](const QUrl& url) { return url.isLocalFile(); });
  if (allFiles) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
  }
  if (paths.empty()) return;
  event->acceptProposedAction();
  // The drop is released first: opening the files may ask questions, and
  // the program the files came from should not wait for the answers.
  QTimer::singleShot(0, this, [this, paths = std::move(paths)] {
    if (controllerDepth_ > 0) return;
    commitFocusedEdit();
    ControllerCall call(*this);
    controller_.dropFiles(paths);
  });
}

}  // namespace nodelyx
