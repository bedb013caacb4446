// The network view: a top-level window that draws the session's network as
// a diagram coloured by its weights or their learning rates, with a menu to
// save, print, close (hide), switch between the two and change the colour
// scale. It lives as long as the program and keeps its mode and thresholds
// meanwhile. GUI thread only.
//
// The picture is kept in an image and only shown by paint events, so live
// updates draw into it without painting outside them. Reading the network
// follows the session's thread rules: weightsChanged() is called where the
// live network may be read (the run's sample notification, or no run
// active); every other picture is drawn from the network while no run is
// active, and from a snapshot while one is.
#pragma once

#include <QImage>
#include <QWidget>
#include <map>

#include "app/help_topics.h"
#include "plots/network_view.h"

class QAction;

namespace nodelyx {

class Session;
class Network;
class NetworkViewPicture;

inline constexpr const char* kNetworkViewObjectName = "networkView";
inline constexpr const char* kNetworkViewPictureObjectName = "networkViewPicture";
// The menu commands' identifiers; each action is named "cmd<number>".
inline constexpr int kViewSaveCommand = 40010;
inline constexpr int kViewPrintCommand = 40011;
inline constexpr int kViewCloseCommand = 24338;
inline constexpr int kViewWeightsCommand = 9103;
inline constexpr int kViewRatesCommand = 9104;
inline constexpr int kViewColorsCommand = 9101;
inline constexpr int kViewHelpCommand = 40015;

class NetworkViewWindow final : public QWidget {
 public:
  NetworkViewWindow(Session& session, HelpViewer& help, QWidget* parent = nullptr);
  ~NetworkViewWindow() override;
  NetworkViewWindow(const NetworkViewWindow&) = delete;
  NetworkViewWindow& operator=(const NetworkViewWindow&) = delete;

  // The weights changed (a stored sample of a run, which waits meanwhile;
  // Randomize, Perturb, loaded weights). Reads *session.network now: the
  // lines alone are redrawn when the layer sizes are those of the picture,
  // else the whole picture. A hidden or minimised window only remembers
  // to draw everything when it is shown.
  void weightsChanged();
  // The network was built, loaded or discarded: the whole picture is drawn
  // again at the next paint.
  void networkChanged();

  // Weights or learning rates: the title, the menu checks and the picture.
  void setMode(NetworkViewMode mode);
  // The "Change Scale" dialog (the Colors command, or a double click on the
  // colour scale); returns when it is closed.
  void changeScale();

  const NetworkViewSettings& settings() const { return settings_; }
  // The picture as shown, in device pixels (for tests).
  const QImage& picture() const;
  // How often the picture was drawn whole and how often its lines alone.
  struct DrawCounts {
    int full = 0, linesOnly = 0;
  };
  DrawCounts drawCounts() const;
  // The menu command's action, or null.
  QAction* action(int command) const;

 private:
  void buildMenus();
  void save();
  void print();
  // Draws the whole view on a canvas of the given size from the network
  // that may be read now.
  void drawWhole(Canvas& canvas, CanvasSize size);

  Session& session_;
  HelpViewer& help_;
  NetworkViewSettings settings_;
  NetworkViewPicture* picture_ = nullptr;
  std::map<int, QAction*> actions_;
};

}  // namespace nodelyx
