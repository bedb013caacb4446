// Test helper: recording views of the scaling dialogs. Questions are
// answered from scripted queues (an unexpected one fails the test). The
// tool's view stands in for the GUI thread's queue: what a worker posts
// waits until the test serves it, and so does a worker waiting for a message.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>

#include "app/scaling_options.h"
#include "app/scaling_tool.h"

namespace nodelyx::testing {

template <typename View>
class RecordingDialogView : public View {
 public:
  void setControlText(int id, const std::string& text) override { texts[id] = text; }
  std::string controlText(int id) const override { return texts.count(id) ? texts.at(id) : ""; }
  void setControlEnabled(int id, bool on) override { enabled[id] = on; }
  void setControlChecked(int id, bool on) override { checked[id] = on; }
  void focusControl(int id, bool) override { focused = id; }
  void setCaretAtEnd(int) override {}
  void beep() override {}
  MessageAnswer showMessage(const Message& message, DialogButtons buttons) override {
    messages.push_back(message);
    if (buttons == DialogButtons::Ok) return MessageAnswer::Ok;
    if (answers.empty()) ADD_FAILURE() << "unexpected question: " << message.text;
    const MessageAnswer answer = answers.empty() ? MessageAnswer::No : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  void endDialog() override { ++ends; }

  bool isEnabled(int id) const { return enabled.count(id) && enabled.at(id); }
  bool isChecked(int id) const { return checked.count(id) && checked.at(id); }

  std::map<int, std::string> texts;
  std::map<int, bool> enabled, checked;
  int focused = 0;
  int ends = 0;
  std::vector<Message> messages;
  std::deque<MessageAnswer> answers;  // for Yes/No questions
};

class FakeScalingToolView final : public RecordingDialogView<ScalingToolView> {
 public:
  void setProgressBar(int percent) override { progress = percent; }
  ChooseResult chooseFile(FileKind kind, DialogMode mode, std::string& path) override {
    dialogs.push_back({kind, mode, path});
    if (choices.empty()) ADD_FAILURE() << "unexpected file dialog of kind " << static_cast<int>(kind);
    if (choices.empty()) return ChooseResult::Cancelled;
    const std::string chosen = choices.front();
    choices.pop_front();
    if (!chosen.empty()) path = chosen;
    return chosen.empty() ? ChooseResult::Cancelled : ChooseResult::Chosen;
  }
  std::optional<InputsOutputs> askInputsOutputs(std::uint32_t firstLineCount) override {
    questionCounts.push_back(firstLineCount);
    return inputsOutputs;
  }
  // Any thread; holdPoster (when set) runs first, on the posting thread.
  void post(std::function<void()> task) override {
    if (holdPoster) holdPoster();
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
    changed_.notify_all();
  }
  void runAndWait(const std::function<void()>& task) override {
    bool done = false;
    post([&] {
      task();
      std::lock_guard<std::mutex> lock(mutex_);
      done = true;
      changed_.notify_all();
    });
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return done; });
  }
  // The test's thread: runs the next posted task, waiting up to a second.
  bool serveOne() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!changed_.wait_for(lock, std::chrono::seconds(1), [&] { return !tasks_.empty(); })) return false;
    const std::function<void()> task = std::move(tasks_.front());
    tasks_.pop_front();
    lock.unlock();
    task();
    return true;
  }

  struct Dialog {
    FileKind kind;
    DialogMode mode;
    std::string initialName;
  };
  int progress = -1;
  std::deque<std::string> choices;  // the files chosen in the coming dialogs; "": cancelled
  std::vector<Dialog> dialogs;
  std::optional<InputsOutputs> inputsOutputs;  // the answer for a plain table
  std::vector<std::uint32_t> questionCounts;
  std::function<void()> holdPoster;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
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
