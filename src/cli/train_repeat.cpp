// nodelyx-cli train --repeat N [--jobs J]: N new networks of the same
// settings and data from seeds S, S+1, ..., each trained, saved and
// measured as a single run would be, J at a time. Each run trains on its
// own copy of the data in its own thread, so its weights are those of the
// same seed trained alone.
#include <atomic>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

#include "app/session_files.h"
#include "app/training_run.h"
#include "app/weights_io.h"
#include "cli/train_command.h"
#include "cli/train_report.h"
#include "engine/pair_worker.h"
#include "files/c_format.h"

namespace nodelyx::cli {
namespace {

// NAME.ext as NAME-k.ext.
std::filesystem::path numbered(const std::filesystem::path& path, long long k) {
  std::filesystem::path result = path;
  result.replace_filename(path.stem().string() + "-" + std::to_string(k) + path.extension().string());
  return result;
}

// A session of its own: the prototype's settings, data and scaling, no
// network yet.
void copySettingsAndData(const Session& prototype, Session& session) {
  session.config = prototype.config;
  session.trainingSet = copyOf(prototype.trainingSet);
  session.testingSet = copyOf(prototype.testingSet);
  session.scaling = prototype.scaling;
  session.networkFile = prototype.networkFile;
  session.networkMemoryLimit = prototype.networkMemoryLimit;
}

struct RepeatedRuns {
  RepeatedRuns(const Session& prototypeSession, const TrainOptions& trainOptions)
      : prototype(prototypeSession),
        options(trainOptions),
        weights(weightsDestination(trainOptions, prototypeSession)),
        firstSeed(trainOptions.seed.value_or(static_cast<std::uint32_t>(std::time(nullptr)))),
        figures(static_cast<std::size_t>(trainOptions.repeat)),
        done(static_cast<std::size_t>(trainOptions.repeat), 0) {}

  const Session& prototype;
  const TrainOptions& options;
  std::filesystem::path weights;
  std::uint32_t firstSeed = 0;
  std::vector<RunFigures> figures;
  std::vector<char> done;  // per run: trained and saved
  std::atomic<int> keepGoing{1};
  std::atomic<long long> next{0};
  std::mutex outputLock;
  long long finished = 0;
  bool failed = false;

  // One run: false after a message.
  bool train(long long index) {
    StderrReporter reporter;
    Session session;
    copySettingsAndData(prototype, session);
    RunStart start;
    start.seed = firstSeed + static_cast<std::uint32_t>(index);
    if (!session.buildNetwork(reporter, &*start.seed)) return false;
    const std::filesystem::path curvePath = options.curve.empty() ? "" : numbered(options.curve, index + 1);
    CurveWriter curve;
    if (!curvePath.empty() && !openCurve(curve, curvePath, options, session, reporter)) return false;
    TrainingRun run;
    RunMonitor monitor(run, false, curvePath.empty() ? nullptr : &curve, &keepGoing);
    if (!run.start(session, &monitor, reporter)) return false;
    run.wait();
    reportOutcome(session, monitor.summary(), reporter);
    const std::filesystem::path weightsPath = numbered(weights, index + 1);
    if (!saveWeightsFile(session, weightsPath, reporter)) return false;
    figures[static_cast<std::size_t>(index)] = measureRun(session, monitor.summary(), start, weightsPath);
    return closeCurve(curve, curvePath, reporter);
  }

  void work() {
    for (;;) {
      const long long index = next++;
      if (index >= options.repeat || keepGoing.load() == 0) return;
      const bool ok = train(index);
      std::lock_guard lock(outputLock);
      done[static_cast<std::size_t>(index)] = ok;
      failed |= !ok;
      ++finished;
      if (!options.quiet && isTerminal(stderr))
        std::fprintf(stderr, "\r\033[K%lld of %lld runs done", finished, options.repeat);
    }
  }
};

}  // namespace

int trainRepeatedly(const Session& prototype, const TrainOptions& options, StderrReporter& reporter) {
  RepeatedRuns runs(prototype, options);
  for (long long k = 1; k <= options.repeat; ++k) {
    if (!canWriteResult(numbered(runs.weights, k), "weights", "Weights not saved", reporter))
      return kExitFailure;
    if (!options.curve.empty() &&
        !canWriteResult(numbered(options.curve, k), "learning curve", "Learning curve not written", reporter))
      return kExitFailure;
  }
  {
    StopOnSignals signals(runs.keepGoing);
    std::vector<std::thread> helpers;
    const long long threads = std::min(options.jobs, options.repeat);
    // Parallel runs already fill the cores; a run's own second thread
    // would only take turns with them.
    if (threads > 1) pairWorkersEnabled.store(0);
    for (long long j = 1; j < threads; ++j) helpers.emplace_back([&runs] { runs.work(); });
    runs.work();
    for (std::thread& helper : helpers) helper.join();
  }
  if (!options.quiet && isTerminal(stderr)) std::fprintf(stderr, "\r\033[K");
  std::vector<RunFigures> finished;
  for (std::size_t k = 0; k < runs.done.size(); ++k)
    if (runs.done[k]) finished.push_back(runs.figures[k]);
  if (finished.size() < runs.done.size() && !runs.failed)
    reporter.report("Warning",
                    formatC("Stopped: %zu of %lld runs were trained.", finished.size(), options.repeat),
                    MessageIcon::Warning);
  if (!finished.empty()) printRepeatedRuns(finished, options.json);
  return runs.failed || finished.empty() ? kExitFailure : kExitOk;
}

}  // namespace nodelyx::cli
