// Training speed in the desktop program against the command-line path: the
// same configuration (16-64-4, 10,000 patterns, RPROP, 200 epochs) trained
// once through the main window (offscreen, Train pressed, statistics shown
// as a user sees them) and once through the core as nodelyx-cli does, each
// several times, alternating. Prints connection updates per second for
// both, their ratio, and the time from start to the shown main window.
// With --plots the training error plot and the network view are open and
// follow the run live, as they would on a user's screen.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/session_files.h"
#include "app/training_run.h"
#include "engine/random.h"
#include "gui/main_window.h"
#include "median.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kInputs = 16, kHidden = 64, kOutputs = 4, kPatterns = 10000, kEpochs = 200, kRounds = 3;

std::filesystem::path writeConfiguration(const std::filesystem::path& dir) {
  std::filesystem::create_directories(dir);
  std::ofstream data(dir / "bench.trn");
  data << "[INPUTS] " << kInputs << "\n[OUTPUTS] " << kOutputs << "\n";
  nodelyx::seedRandom(42);
  for (int p = 0; p < kPatterns; ++p) {
    for (int v = 0; v < kInputs + kOutputs; ++v) data << nodelyx::randomUnit() << ' ';
    data << '\n';
  }
  std::ofstream config(dir / "bench.net");
  config << "[TRAINING] 3\n[EPOCHS] " << kEpochs
         << "\n[ENFORCE_TRAIN] 0\n[ENFORCE_TEST] 0\n[LAYERS] 3\n[HIDDEN1] " << kHidden
         << " 1\n[TRAININGFILE] bench.trn\n";
  return dir / "bench.net";
}

double connectionUpdates(const nodelyx::Session& session) {
  return static_cast<double>(session.network->connectionCount()) * session.trainingSet.patternCount * kEpochs;
}

// As nodelyx-cli train: open, build, run on the worker, wait.
double trainThroughCore(const std::filesystem::path& config) {
  nodelyx::SilentReporter reporter;
  nodelyx::Session session;
  nodelyx::SessionFileActions actions(session, reporter);
  nodelyx::openConfiguration(session, config, nodelyx::CompanionOrder::CommandLine, actions, nullptr, {},
                             reporter);
  const std::uint32_t seed = 1;
  session.buildNetwork(reporter, &seed);
  nodelyx::TrainingObserver observer;
  nodelyx::TrainingRun run;
  const auto start = Clock::now();
  run.start(session, &observer, reporter);
  run.wait();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return connectionUpdates(session) / seconds;
}

// Through the window: Train pressed, the event loop running until the run
// has ended and the window shows its end state.
double trainThroughWindow(nodelyx::MainWindow& window, const std::filesystem::path& config) {
  window.openCommandLineFile(config.string());
  auto* train = qobject_cast<QAbstractButton*>(window.control(nodelyx::ControlId::Train));
  if (train == nullptr || !train->isEnabled()) {
    std::fprintf(stderr, "The window did not load %s.\n", config.string().c_str());
    std::exit(1);
  }
  const auto start = Clock::now();
  train->click();
  while (window.controller().training() || !train->isEnabled())
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return connectionUpdates(window.session()) / seconds;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  QElapsedTimer launch;
  launch.start();
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  nodelyx::MainWindow window(QCoreApplication::applicationDirPath().toStdString());
  window.initialize();
  window.show();
  QApplication::processEvents();
  const qint64 shownAfter = launch.elapsed();
  const bool withPlots = argc > 1 && std::string(argv[1]) == "--plots";
  if (withPlots) {
    for (const nodelyx::ControlId id : {nodelyx::ControlId::ViewErrorPlot, nodelyx::ControlId::ViewNetwork})
      window.commandAction(id)->trigger();
    QApplication::processEvents();
  }

  const std::filesystem::path config = writeConfiguration(
      std::filesystem::temp_directory_path() / ("nodelyx_window_bench_" + std::to_string(::getpid())));
  std::vector<double> core, gui;
  for (int round = 0; round < kRounds; ++round) {
    core.push_back(trainThroughCore(config));
    gui.push_back(trainThroughWindow(window, config));
    std::printf("round %d: core %.3g, window %.3g connection updates/s\n", round + 1, core.back(),
                gui.back());
  }
  std::filesystem::remove_all(config.parent_path());
  const double coreMedian = nodelyx::bench::median(core), guiMedian = nodelyx::bench::median(gui);
  std::printf("16-64-4, %d patterns, RPROP, %d epochs, median of %d%s:\n", kPatterns, kEpochs, kRounds,
              withPlots ? ", error plot and network view open" : "");
  std::printf("  command-line path  %.3g connection updates/s\n", coreMedian);
  std::printf("  main window        %.3g connection updates/s (%.1f %%)\n", guiMedian,
              100.0 * guiMedian / coreMedian);
  std::printf("  main window shown  %lld ms after start (QApplication, window built, first show)\n",
              static_cast<long long>(shownAfter));
  // Not closed: closing would ask whether to save the trained settings.
  return 0;
}
