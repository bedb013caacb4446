// The run bridge under a worker that reports epochs as fast as it can: the
// GUI thread sees few displays, always the newest statistics, the last epoch
// before the end, and the end once.
#include "gui/run_bridge.h"

#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

using nodelyx::EpochStatistics;
using nodelyx::RunBridge;
using nodelyx::RunSummary;

class RunBridgeTest : public QObject {
  Q_OBJECT

 private slots:
  void fastEpochsAreCoalescedAndTheLastOneShown();
  void aRunWithoutEpochsOnlyEnds();
};

namespace {

struct Recorder {
  std::vector<std::uint32_t> shown;
  int endings = 0;
  std::size_t shownBeforeEnd = 0;
};

}  // namespace

void RunBridgeTest::fastEpochsAreCoalescedAndTheLastOneShown() {
  Recorder recorder;
  RunBridge bridge([&recorder](const EpochStatistics& stats) { recorder.shown.push_back(stats.epoch); },
                   [&recorder] {
                     ++recorder.endings;
                     recorder.shownBeforeEnd = recorder.shown.size();
                   });
  bridge.trainingStarted();
  QElapsedTimer clock;
  clock.start();
  // Epochs as fast as the worker can report them, for a third of a second.
  std::atomic<std::uint32_t> lastEpoch{0};
  std::thread worker([&bridge, &lastEpoch] {
    QElapsedTimer running;
    running.start();
    EpochStatistics stats;
    while (running.elapsed() < 300) {
      ++stats.epoch;
      bridge.epochFinished(stats);
    }
    lastEpoch = stats.epoch;
    bridge.trainingEnded(RunSummary{});
  });
  QTRY_COMPARE_WITH_TIMEOUT(recorder.endings, 1, 20000);
  worker.join();
  const qint64 elapsedMs = clock.elapsed();

  QVERIFY(!recorder.shown.empty());
  QCOMPARE(recorder.shown.back(), lastEpoch.load());
  QVERIFY(recorder.shown.size() >= 2);
  QCOMPARE(recorder.shownBeforeEnd, recorder.shown.size());
  QVERIFY(std::is_sorted(recorder.shown.begin(), recorder.shown.end()));
  // One display per throttle interval, plus the first and the last.
  QVERIFY2(static_cast<qint64>(recorder.shown.size()) <= elapsedMs / RunBridge::kDisplayIntervalMs + 3,
           qPrintable(QStringLiteral("%1 displays in %2 ms").arg(recorder.shown.size()).arg(elapsedMs)));
  QTest::qWait(3 * RunBridge::kDisplayIntervalMs);
  QCOMPARE(recorder.endings, 1);
}

void RunBridgeTest::aRunWithoutEpochsOnlyEnds() {
  Recorder recorder;
  RunBridge bridge([&recorder](const EpochStatistics& stats) { recorder.shown.push_back(stats.epoch); },
                   [&recorder] { ++recorder.endings; });
  bridge.trainingStarted();
  std::thread worker([&bridge] { bridge.trainingEnded(RunSummary{}); });
  worker.join();
  QTRY_COMPARE(recorder.endings, 1);
  QVERIFY(recorder.shown.empty());
}

QTEST_MAIN(RunBridgeTest)
#include "run_bridge_test.moc"
