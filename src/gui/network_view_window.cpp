#include "gui/network_view_window.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <functional>

#include "app/session.h"
#include "gui/change_scale_dialog.h"
#include "gui/image_canvas.h"
#include "gui/plot_output.h"

namespace nodelyx {
namespace {

// Calls draw with the network that may be read now on the GUI thread: the
// session's own while no run is active, else the newest snapshot (null
// before the run has taken one), held while draw runs.
template <typename Draw>
void withReadableNetwork(Session& session, Draw draw) {
  if (!session.network) return draw(nullptr);
  if (!session.runActive()) return draw(session.network.get());
  const std::shared_ptr<NetworkSnapshot> snapshot = session.networkSnapshot();
  draw(snapshot ? &snapshot->network : nullptr);
}

}  // namespace

// The diagram below the menu: an image in device pixels with its layout,
// shown by paint events and drawn into by them (a new size, a new network,
// other settings) and by live updates (the lines alone).
class NetworkViewPicture final : public QWidget {
 public:
  NetworkViewPicture(Session& session, const NetworkViewSettings& settings,
                     std::function<void()> scaleClicked, QWidget* parent)
      : QWidget(parent), session_(session), settings_(settings), scaleClicked_(std::move(scaleClicked)) {
    setObjectName(QString::fromLatin1(kNetworkViewPictureObjectName));
    setAccessibleName(QStringLiteral("Network diagram"));
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

  // Draws everything again at the next paint.
  void invalidate() {
    stale_ = true;
    update();
  }

  // network may be read now.
  void weightsChanged(const Network* network) {
    if (network != nullptr && !stale_ && !image_.isNull() && image_.size() == devicePixels() &&
        layout_.fits(*network)) {
      ImageCanvas canvas(image_);
      drawNetworkLines(canvas, layout_, *network, settings_);
      ++counts_.linesOnly;
    } else {
      render(network);
    }
    update();
  }

  const QImage& image() const { return image_; }
  NetworkViewWindow::DrawCounts counts() const { return counts_; }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (stale_ || image_.size() != devicePixels())
      withReadableNetwork(session_, [this](const Network* network) { render(network); });
    if (image_.isNull()) return;
    QPainter painter(this);
    painter.drawImage(QRectF(rect()), image_);
  }

  void mouseDoubleClickEvent(QMouseEvent* event) override {
    const QPointF at = event->position() * devicePixelRatio();
    const int x = static_cast<int>(at.x());
    const int y = static_cast<int>(at.y());
    const CanvasRect& box = layout_.scaleBox;
    if (layout_.hasNetwork() && x >= box.left && x < box.right && y >= box.top && y < box.bottom) {
      scaleClicked_();
      return;
    }
    QWidget::mouseDoubleClickEvent(event);
  }

 private:
  // The picture is drawn in device pixels, where the lines stay one pixel
  // wide and fast to draw at any device pixel ratio.
  QSize devicePixels() const {
    const qreal ratio = devicePixelRatio();
    return QSize(qRound(width() * ratio), qRound(height() * ratio));
  }

  void render(const Network* network) {
    stale_ = false;
    const QSize pixels = devicePixels();
    if (pixels.isEmpty()) {
      image_ = QImage();
      layout_ = NetworkViewLayout{};
      return;
    }
    if (image_.size() != pixels) image_ = QImage(pixels, QImage::Format_RGB32);
    const std::span<const int> sizes = network ? network->layerSizes() : std::span<const int>{};
    layout_ = layoutNetworkView({pixels.width(), pixels.height()}, sizes, settings_.thresholds);
    ImageCanvas canvas(image_);
    drawNetworkView(canvas, layout_, network, settings_);
    ++counts_.full;
  }

  Session& session_;
  const NetworkViewSettings& settings_;
  std::function<void()> scaleClicked_;
  QImage image_;
  NetworkViewLayout layout_;
  bool stale_ = true;
  NetworkViewWindow::DrawCounts counts_;
};

NetworkViewWindow::NetworkViewWindow(Session& session, HelpViewer& help, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), help_(help) {
  setObjectName(QString::fromLatin1(kNetworkViewObjectName));
  // A hidden view never keeps the program running, nor does closing it end it.
  setAttribute(Qt::WA_QuitOnClose, false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  // The picture draws at any size, down to nothing.
  layout->setSizeConstraint(QLayout::SetNoConstraint);
  picture_ = new NetworkViewPicture(
      session_, settings_, [this] { changeScale(); }, this);
  layout->addWidget(picture_);
  buildMenus();
  setMode(NetworkViewMode::Weights);
  resize(512, 384);
}

NetworkViewWindow::~NetworkViewWindow() = default;

void NetworkViewWindow::buildMenus() {
  auto* bar = new QMenuBar(this);
  bar->setObjectName(QStringLiteral("menuBar"));
  bar->setAccessibleName(QStringLiteral("Menu bar"));
  auto command = [this](int id, const char* text, std::function<void()> run) {
    auto* action = new QAction(QString::fromUtf8(text), this);
    action->setObjectName(QStringLiteral("cmd%1").arg(id));
    connect(action, &QAction::triggered, this, std::move(run));
    actions_[id] = action;
    return action;
  };
  QMenu* file = bar->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("fileMenu"));
  file->addAction(command(kViewSaveCommand, "&Save", [this] { save(); }));
  file->addAction(command(kViewPrintCommand, "&Print", [this] { print(); }));
  file->addSeparator();
  file->addAction(command(kViewCloseCommand, "&Close", [this] { hide(); }));
  QMenu* view = bar->addMenu(QStringLiteral("&View"));
  view->setObjectName(QStringLiteral("viewMenu"));
  auto* modes = new QActionGroup(this);
  modes->setExclusive(true);
  struct ModeCommand {
    int id;
    const char* text;
    NetworkViewMode mode;
  };
  for (const ModeCommand& entry :
       {ModeCommand{kViewWeightsCommand, "&Weights", NetworkViewMode::Weights},
        ModeCommand{kViewRatesCommand, "&Learning Rates", NetworkViewMode::LearningRates}}) {
    QAction* action = command(entry.id, entry.text, [this, mode = entry.mode] { setMode(mode); });
    action->setCheckable(true);
    modes->addAction(action);
    view->addAction(action);
  }
  view->addSeparator();
  view->addAction(command(kViewColorsCommand, "&Colors...", [this] { changeScale(); }));
  bar->addAction(command(kViewHelpCommand, "&Help", [this] { help_.showHelp(help::kViewMenu); }));
  static_cast<QVBoxLayout*>(layout())->setMenuBar(bar);
}

void NetworkViewWindow::weightsChanged() {
  if (!isVisible() || isMinimized()) {
    picture_->invalidate();
    return;
  }
  picture_->weightsChanged(session_.network.get());
}

void NetworkViewWindow::networkChanged() { picture_->invalidate(); }

void NetworkViewWindow::setMode(NetworkViewMode mode) {
  settings_.mode = mode;
  const bool weights = mode == NetworkViewMode::Weights;
  setWindowTitle(weights ? QStringLiteral("View - Weights") : QStringLiteral("View - Learning Rates"));
  setAccessibleName(windowTitle());
  actions_.at(kViewWeightsCommand)->setChecked(weights);
  actions_.at(kViewRatesCommand)->setChecked(!weights);
  picture_->invalidate();
}

void NetworkViewWindow::changeScale() {
  ChangeScaleDialog dialog(
      settings_.thresholds, [this] { picture_->invalidate(); }, this);
  dialog.exec();
}

const QImage& NetworkViewWindow::picture() const { return picture_->image(); }

NetworkViewWindow::DrawCounts NetworkViewWindow::drawCounts() const { return picture_->counts(); }

QAction* NetworkViewWindow::action(int command) const {
  const auto found = actions_.find(command);
  return found == actions_.end() ? nullptr : found->second;
}

void NetworkViewWindow::drawWhole(Canvas& canvas, CanvasSize size) {
  withReadableNetwork(session_,
                      [&](const Network* network) { drawNetworkView(canvas, size, network, settings_); });
}

void NetworkViewWindow::save() {
  savePlotWithDialog(this, windowTitle(),
                     [this](Canvas& canvas, CanvasSize size) { drawWhole(canvas, size); });
}

void NetworkViewWindow::print() {
  printPlotWithDialog(this, [this](Canvas& canvas, CanvasSize size) { drawWhole(canvas, size); });
}

}  // namespace nodelyx
