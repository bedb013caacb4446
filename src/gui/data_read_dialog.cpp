#include "gui/data_read_dialog.h"

#include <QCoreApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <memory>

#include "gui/dialog_parts.h"
#include "gui/inputs_outputs_dialog.h"
#include "gui/message_box.h"

namespace nodelyx {
namespace {

constexpr int kCaptionId = 1022;
constexpr int kBarId = 1021;
constexpr int kPercentId = 1023;
constexpr int kCancelId = 2;
constexpr int kPollMilliseconds = 30;

QString percentText(int percent) { return QStringLiteral("%1 %").arg(percent); }

// The reader's messages, shown on the GUI thread; the reader waits until
// each box is closed.
class DialogReporter final : public Reporter {
 public:
  explicit DialogReporter(QWidget& dialog) : dialog_(dialog) {}
  using Reporter::report;
  void report(const Message& message) override {
    QMetaObject::invokeMethod(
        &dialog_, [this, &message] { showMessageBox(&dialog_, message, MessageButtons::Ok); },
        Qt::BlockingQueuedConnection);
  }

 private:
  QWidget& dialog_;
};

class DataReadDialog final : public QDialog {
 public:
  DataReadDialog(QWidget* owner, DataKind kind);
  DataReadOutcome run(const DataReadRequest& request);
  // Cancel, Escape and the close box: stop the reader, but stay open until
  // the worker has ended.
  void reject() override;

 private:
  void start(const DataReadRequest& request);
  DataReadCallbacks callbacks();
  void showPercent();
  void finish();

  QLabel* caption_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QLabel* percentLabel_ = nullptr;
  QTimer poll_;
  std::atomic<int> percent_{0};  // written by the worker, shown by poll_
  DialogReporter messages_{*this};
  std::unique_ptr<DataReadJob> job_;
  bool finished_ = false;  // GUI thread only
  int shownPercent_ = 0;
};

DataReadDialog::DataReadDialog(QWidget* owner, DataKind kind) : QDialog(owner) {
  setObjectName(QString::fromLatin1(kDataReadDialogObjectName));
  setWindowTitle(kind == DataKind::Training ? QStringLiteral("Reading Training File")
                                            : QStringLiteral("Reading Testing File"));
  setAccessibleName(windowTitle());
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  caption_ = new QLabel(this);
  nameControl(*caption_, kCaptionId, QStringLiteral("Reading"));
  caption_->setMinimumWidth(320);
  layout->addWidget(caption_);
  bar_ = new QProgressBar(this);
  nameControl(*bar_, kBarId, QStringLiteral("Progress"));
  bar_->setRange(0, 100);
  bar_->setValue(0);
  bar_->setTextVisible(false);
  layout->addWidget(bar_);
  percentLabel_ = new QLabel(percentText(0), this);
  nameControl(*percentLabel_, kPercentId, QStringLiteral("Percent done"));
  percentLabel_->setAlignment(Qt::AlignCenter);
  layout->addWidget(percentLabel_);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  nameControl(*cancel, kCancelId, QStringLiteral("Cancel"));
  connect(cancel, &QPushButton::clicked, this, &DataReadDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancel);
  buttons->addStretch();
  layout->addLayout(buttons);
  poll_.setInterval(kPollMilliseconds);
  connect(&poll_, &QTimer::timeout, this, &DataReadDialog::showPercent);
}

DataReadCallbacks DataReadDialog::callbacks() {
  DataReadCallbacks result;
  result.progress = [this](int percent) { percent_.store(percent, std::memory_order_relaxed); };
  result.caption = [this](const std::string& text) {
    QMetaObject::invokeMethod(
        this, [this, caption = QString::fromStdString(text)] { caption_->setText(caption); },
        Qt::QueuedConnection);
  };
  result.askInputsOutputs = [this](std::uint32_t firstLineCount) {
    std::optional<InputsOutputs> answer;
    QMetaObject::invokeMethod(
        this, [this, firstLineCount, &answer] { answer = askInputsOutputsDialog(this, firstLineCount); },
        Qt::BlockingQueuedConnection);
    return answer;
  };
  return result;
}

void DataReadDialog::start(const DataReadRequest& request) {
  // The worker's last act posts the close; it runs in this dialog's event
  // loop, so it cannot come before exec() has started.
  job_ = std::make_unique<DataReadJob>(request, callbacks(), messages_, [this] {
    QMetaObject::invokeMethod(
        this, [this] { finish(); }, Qt::QueuedConnection);
  });
  poll_.start();
}

DataReadOutcome DataReadDialog::run(const DataReadRequest& request) {
  QTimer::singleShot(0, this, [this, &request] { start(request); });
  exec();
  // exec() also ends when the application quits: stop the worker, and serve
  // its blocking calls (their dialogs return at once) until it has ended.
  if (job_ && !finished_) {
    job_->cancel();
    while (!finished_) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return job_ ? job_->take() : DataReadOutcome{};
}

void DataReadDialog::reject() {
  if (finished_) {
    QDialog::reject();
    return;
  }
  if (job_) job_->cancel();
}

void DataReadDialog::showPercent() {
  const int percent = percent_.load(std::memory_order_relaxed);
  if (percent == shownPercent_) return;
  shownPercent_ = percent;
  bar_->setValue(percent);
  percentLabel_->setText(percentText(percent));
}

void DataReadDialog::finish() {
  poll_.stop();
  showPercent();
  finished_ = true;
  done(QDialog::Accepted);
}

}  // namespace

DataReadOutcome readDataFileWithProgress(QWidget* owner, const DataReadRequest& request,
                                         [[maybe_unused]] Reporter& reporter) {
  DataReadDialog dialog(owner, request.kind);
  return dialog.run(request);
}

}  // namespace nodelyx
