// Test helper: the views of the scaling dialogs as recording fakes. They
// keep what the logic shows and answer its questions from scripted queues;
// an unexpected question fails the test. The tool's view also stands in for
// the GUI thread's event queue: what a worker posts waits until the test
// serves it (serve, serveUntil), and a worker waiting for a message waits
// until then too.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "app/scaling_options.h"
#include "app/scaling_tool.h"

namespace nodelyx::testing {

template <typename View>
class RecordingDialogView : public View {
 public:
  void setControlText(int id, const std::string& text) override { texts[id] = text; }
  std::string controlText(int id) const override {
    const auto found = texts.find(id);
    return found == texts.end() ? std::string() : found->second;
  }
  void setControlEnabled(int id, bool on) override { enabled[id] = on; }
  void setControlChecked(int id, bool on) override { checked[id] = on; }
  void focusControl(int id, bool) override { focused = id; }
  void setCaretAtEnd(int) override {}
  void beep() override { ++beeps; }
  MessageAnswer showMessage(const Message& message, DialogButtons buttons) override {
    messages.push_back(message);
    if (buttons == DialogButtons::Ok) return MessageAnswer::Ok;
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << message.text;
      return MessageAnswer::No;
    }
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void endDialog() override { ++ends; }

  bool isEnabled(int id) const {
    const auto found = enabled.find(id);
    return found != enabled.end() && found->second;
  }
  bool isChecked(int id) const {
    const auto found = checked.find(id);
    return found != checked.end() && found->second;
  }
  // The texts of the messages shown so far, and forget them.
  std::vector<std::string> takeMessageTexts() {
    std::vector<std::string> result;
    for (const Message& m : messages) result.push_back(m.text);
    messages.clear();
    return result;
  }

  std::map<int, std::string> texts;
  std::map<int, bool> enabled, checked;
  int focused = 0;
  int beeps = 0;
  int ends = 0;
  std::vector<Message> messages;
  std::deque<MessageAnswer> answers;  // for Yes/No questions
};

class FakeScalingToolView final : public RecordingDialogView<ScalingToolView> {
 public:
  void setProgressBar(int percent) override { progress = percent; }
  ChooseResult chooseFile(FileKind kind, DialogMode mode, std::string& path) override {
    dialogs.push_back({kind, mode, path});
    if (choices.empty()) {
      ADD_FAILURE() << "unexpected file dialog of kind " << static_cast<int>(kind);
      return ChooseResult::Cancelled;
    }
    auto [result, chosen] = choices.front();
    choices.pop_front();
    if (result == ChooseResult::Chosen) path = chosen;
    return result;
  }
  std::optional<InputsOutputs> askInputsOutputs(std::uint32_t firstLineCount) override {
    questionCounts.push_back(firstLineCount);
    return inputsOutputs;
  }

  // Any thread. holdPoster (when set) runs first, on the posting thread:
  // a test can keep a worker there while it looks at the window.
  void post(std::function<void()> task) override {
    if (holdPoster) holdPoster();
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
    arrived_.notify_all();
  }
  void runAndWait(const std::function<void()>& task) override {
    auto done = std::make_shared<bool>(false);
    post([this, &task, done] {
      task();
      std::lock_guard<std::mutex> lock(mutex_);
      *done = true;
      arrived_.notify_all();
    });
    std::unique_lock<std::mutex> lock(mutex_);
    arrived_.wait(lock, [&] { return *done; });
  }

  // The test's thread: runs what was posted, waiting for more until
  // finished() holds (false after 10 s).
  bool serveUntil(const std::function<bool()>& finished) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!finished())
      if (!serveOne(deadline)) return false;
    return true;
  }
  // Runs the next posted task, waiting for one until deadline.
  bool serveOne(std::chrono::steady_clock::time_point deadline) {
    std::function<void()> task;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      if (!arrived_.wait_until(lock, deadline, [&] { return !tasks_.empty(); })) return false;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
    return true;
  }

  struct Dialog {
    FileKind kind;
    DialogMode mode;
    std::string initialName;
  };
  int progress = -1;
  std::deque<std::pair<ChooseResult, std::string>> choices;  // for file dialogs
  std::vector<Dialog> dialogs;                               // every dialog shown
  std::optional<InputsOutputs> inputsOutputs;                // the headerless-table answer
  std::vector<std::uint32_t> questionCounts;                 // each question's first-line count
  std::function<void()> holdPoster;

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<std::function<void()>> tasks_;
};

class FakeScalingOptionsView final : public RecordingDialogView<ScalingOptionsView> {
 public:
  void setListItems(int, const std::vector<std::string>& items) override { listItems = items; }
  void selectListItem(int, int index) override { selectedItem = index; }

  std::vector<std::string> listItems;
  int selectedItem = -2;
};

class RecordingHelp final : public HelpViewer {
 public:
  void showHelp(const std::string& keyword) override { keywords.push_back(keyword); }
  std::vector<std::string> keywords;
};

}  // namespace nodelyx::testing
