// The "Network Error Plot" window: the training error plot of the
// session's error samples, with Save, Print, Exit and Help in its menu. It
// lives as long as the program and is only shown and hidden (closing hides
// it). The plot draws into a picture the window keeps: a new sample adds its
// segments to the picture and repaints just them; a new size or a rescale
// redraws the picture whole. GUI thread only.
#pragma once

#include <QWidget>

#include "app/error_samples.h"
#include "plots/error_plot.h"

class QImage;

namespace nodelyx {

class ErrorPlotView;
class HelpViewer;
class Session;

class ErrorPlotWindow final : public QWidget {
  Q_OBJECT

 public:
  // Takes the session's samples like samplesChanged() (so construct it
  // while no run writes them), and hides until shown.
  ErrorPlotWindow(Session& session, HelpViewer& help, QWidget* parent = nullptr);
  ~ErrorPlotWindow() override;

  // A sample was stored, or the samples' rescaleNeeded was set. Copies the
  // samples and the curves to show, takes rescaleNeeded over (clearing it
  // in the session) and draws what is new. Call it only while no run writes
  // the samples: inside the run's sample notification (the run waits) or
  // with no run active. Repaints and Save use the copy, never the session.
  void samplesChanged();

  // The picture below the menu bar (device pixels; null while there is no
  // room for it) and the plot's state, for tests.
  const QImage& picture() const;
  const ErrorPlot& plot() const;

 private:
  void takeSamples();
  void addMenus();
  // A menu command by its identifier.
  void runCommand(int command);

  Session& session_;
  HelpViewer& help_;
  ErrorSamples samples_;  // the copy every drawing reads
  ErrorCurves curves_;
  ErrorPlotView* view_ = nullptr;
};

}  // namespace nodelyx
