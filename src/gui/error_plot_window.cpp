#include "gui/error_plot_window.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <span>

#include "app/help_topics.h"
#include "app/session.h"
#include "gui/gui_resources.h"
#include "gui/painter_canvas.h"
#include "gui/plot_output.h"

namespace nodelyx {
namespace {

const QString kWindowTitle = QStringLiteral("Network Error Plot");
const QString kPlotTitle = QStringLiteral("RMS Error vs Training Time");

// The plot windows' menu commands; the actions are named after them
// ("cmd40010").
enum class PlotCommand {
  Separator = 0,
  Save = 40010,
  Print = 40011,
  Exit = 40013,
  Help = 40015,
  AutoRedraw = 40017
};

struct MenuItem {
  PlotCommand command;
  const char* text;
};
constexpr MenuItem kFileItems[] = {
    {PlotCommand::Save, "&Save..."},
    {PlotCommand::Print, "&Print..."},
    {PlotCommand::Separator, nullptr},
    {PlotCommand::Exit, "E&xit"},
};
constexpr MenuItem kOptionsItems[] = {{PlotCommand::AutoRedraw, "&Auto redraw interval..."}};
constexpr MenuItem kHelpItems[] = {{PlotCommand::Help, "&Help..."}};
struct MenuDefinition {
  const char* title;
  std::span<const MenuItem> items;
};
constexpr MenuDefinition kMenus[] = {
    {"&File", kFileItems}, {"&Options", kOptionsItems}, {"&Help", kHelpItems}};

ErrorCurves curvesOf(const Session& session) {
  return {session.config.plotMemorization() != 0,
          session.testingDataLoaded() && session.testingSet.hasTargets()};
}

}  // namespace

// The plot itself, below the menu bar: it keeps the picture the plot draws
// into and shows it. The picture is redrawn whole when it no longer fits
// the view (a new size or device pixel ratio) or on a rescale.
class ErrorPlotView final : public QWidget {
 public:
  ErrorPlotView(const ErrorSamples& samples, const ErrorCurves& curves, QWidget* parent)
      : QWidget(parent), samples_(samples), curves_(curves) {
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
  }

  const QImage& picture() const { return picture_; }
  ErrorPlot& plot() { return plot_; }
  QSize sizeHint() const override { return {512, 384}; }

  // Draws what the samples have new into the picture and repaints that
  // part. A picture that does not fit the view is dropped: it would show
  // stale samples should the view get its size back; the next paint draws
  // a new one.
  void newData() {
    if (!pictureFits()) {
      picture_ = QImage();
      update();
      return;
    }
    QPainter painter(&picture_);
    PainterCanvas canvas(painter);
    const std::optional<CanvasRect> changed = plot_.newData(canvas, {width(), height()}, samples_, curves_);
    painter.end();
    if (changed) update(QRect(changed->left, changed->top, changed->width(), changed->height()));
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (!pictureFits()) redrawPicture();
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), picture_);
  }

 private:
  QSize pixelSize() const { return (QSizeF(size()) * devicePixelRatioF()).toSize(); }
  bool pictureFits() const {
    return !picture_.isNull() && picture_.size() == pixelSize() &&
           picture_.devicePixelRatio() == devicePixelRatioF();
  }

  // The plot's sizes follow the screen the window is on.
  void redrawPicture() {
    const QSize pixels = pixelSize();
    if (pixels.isEmpty()) {
      picture_ = QImage();
      return;
    }
    picture_ = QImage(pixels, QImage::Format_RGB32);
    picture_.setDevicePixelRatio(devicePixelRatioF());
    const QSize screenSize = screen() != nullptr ? screen()->size() : QSize(1024, 768);
    plot_.setMetrics(errorPlotMetrics(screenSize.width(), screenSize.height()));
    QPainter painter(&picture_);
    PainterCanvas canvas(painter);
    plot_.paint(canvas, {width(), height()}, samples_, curves_);
  }

  const ErrorSamples& samples_;
  const ErrorCurves& curves_;
  ErrorPlot plot_;
  QImage picture_;
};

ErrorPlotWindow::ErrorPlotWindow(Session& session, HelpViewer& help, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), help_(help) {
  setWindowTitle(kWindowTitle);
  setObjectName(QStringLiteral("errorPlotWindow"));
  setAccessibleName(kWindowTitle);
  setWindowIcon(applicationIcon());
  // A window of the program's own that outlives its showings.
  setAttribute(Qt::WA_QuitOnClose, false);

  view_ = new ErrorPlotView(samples_, curves_, this);
  view_->setObjectName(QStringLiteral("errorPlotView"));
  view_->setAccessibleName(kPlotTitle);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(view_);
  addMenus();
  takeSamples();
}

ErrorPlotWindow::~ErrorPlotWindow() = default;

const QImage& ErrorPlotWindow::picture() const { return view_->picture(); }
const ErrorPlot& ErrorPlotWindow::plot() const { return view_->plot(); }

void ErrorPlotWindow::samplesChanged() {
  takeSamples();
  view_->newData();
}

void ErrorPlotWindow::takeSamples() {
  samples_ = session_.samples;
  curves_ = curvesOf(session_);
  if (session_.samples.rescaleNeeded != 0) {
    view_->plot().requestRescale();
    session_.samples.rescaleNeeded = 0;
  }
}

void ErrorPlotWindow::addMenus() {
  auto* bar = new QMenuBar(this);
  bar->setObjectName(QStringLiteral("errorPlotMenuBar"));
  for (const MenuDefinition& definition : kMenus) {
    QMenu* menu = bar->addMenu(QString::fromUtf8(definition.title));
    menu->setAccessibleName(QString::fromUtf8(definition.title).remove(QLatin1Char('&')));
    for (const MenuItem& item : definition.items) {
      if (item.command == PlotCommand::Separator) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(QString::fromUtf8(item.text));
      action->setObjectName(QStringLiteral("cmd%1").arg(static_cast<int>(item.command)));
      connect(action, &QAction::triggered, this,
              [this, command = item.command] { runCommand(static_cast<int>(command)); });
    }
  }
  layout()->setMenuBar(bar);
}

void ErrorPlotWindow::runCommand(int command) {
  // Save and Print draw from the window's copy of the samples, so they
  // never race a run that is storing the next sample.
  const PlotDrawing whole = [this](Canvas& canvas, CanvasSize size) {
    view_->plot().drawWhole(canvas, size, samples_, curves_);
  };
  switch (static_cast<PlotCommand>(command)) {
    case PlotCommand::Save:
      savePlotWithDialog(this, kPlotTitle, whole);
      return;
    case PlotCommand::Print:
      printPlotWithDialog(this, whole);
      return;
    case PlotCommand::Help:
      help_.showHelp(help::kViewMenu);
      return;
    case PlotCommand::Exit:
      close();
      return;
    case PlotCommand::AutoRedraw:
    case PlotCommand::Separator:
      break;
  }
  // Commands without a function in this window hide it.
  hide();
}

}  // namespace nodelyx
