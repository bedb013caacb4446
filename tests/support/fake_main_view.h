// Test helper: a MainView that records what the logic shows and answers its
// questions from scripted queues. An unexpected question fails the test.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <utility>
#include <vector>

#include "app/main_view.h"
#include "files/data_read_job.h"

namespace nodelyx::testing {

class FakeMainView : public MainView {
 public:
  void setControlText(ControlId id, const std::string& text) override { texts[id] = text; }
  std::string controlText(ControlId id) const override {
    const auto found = texts.find(id);
    return found == texts.end() ? std::string() : found->second;
  }
  void setControlEnabled(ControlId id, bool on) override { enabled[id] = on; }
  void setControlChecked(ControlId id, bool on) override { checked[id] = on; }
  void selectListItem(ControlId id, int index) override { selected[id] = index; }
  void focusControl(ControlId id, bool selectAll) override {
    focused = id;
    focusSelectedAll = selectAll;
  }
  void setCaretAtEnd(ControlId) override {}
  void beep() override { ++beeps; }
  void setWindowTitle(const std::string& text) override { title = text; }

  MessageAnswer showMessage(const Message& message, MessageButtons buttons) override {
    messages.push_back(message);
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << message.text;
      return MessageAnswer::Cancel;
    }
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  ChooseResult chooseFile(FileKind kind, DialogMode mode, std::string& path) override {
    dialogs.emplace_back(kind, mode);
    if (choices.empty()) {
      ADD_FAILURE() << "unexpected file dialog of kind " << static_cast<int>(kind);
      return ChooseResult::Cancelled;
    }
    auto [result, chosen] = choices.front();
    choices.pop_front();
    if (result == ChooseResult::Chosen) path = chosen;
    return result;
  }
  std::optional<OutputChoices> askOutputChoices(const OutputChoices& current) override {
    ++outputQuestions;
    if (cancelOutputChoices) return std::nullopt;
    return current;
  }
  DataReadOutcome readDataFile(const DataReadRequest& request, Reporter& reporter) override {
    ++dataReads;
    DataReadCallbacks callbacks;
    callbacks.askInputsOutputs = [this](std::uint32_t) { return inputsOutputs; };
    return readDataFileOnWorker(request, callbacks, reporter);
  }
  void showToolWindow(ToolWindow window) override { shownWindows.push_back(window); }
  void runModalDialog(ModalDialog dialog) override { dialogsRun.push_back(dialog); }
  void plotsChanged(PlotChange change) override { plotChanges.push_back(change); }
  void setStatusText(const std::string& text) override { statusText = text; }
  void setRecentFiles(const std::vector<std::string>& paths) override { recentFiles = paths; }
  void showHelp(const std::string& keyword) override { helpKeywords.push_back(keyword); }
  void serviceEvents() override {}
  void closeWindow() override { ++closeRequests; }

  // The texts of the messages shown so far, and forget them.
  std::vector<std::string> takeMessageTexts() {
    std::vector<std::string> result;
    for (const Message& m : messages) result.push_back(m.text);
    messages.clear();
    return result;
  }
  bool isEnabled(ControlId id) const {
    const auto found = enabled.find(id);
    return found != enabled.end() && found->second;
  }

  std::map<ControlId, std::string> texts;
  std::map<ControlId, bool> enabled, checked;
  std::map<ControlId, int> selected;
  ControlId focused = ControlId::None;
  bool focusSelectedAll = false;
  int beeps = 0;
  std::string title;
  std::vector<Message> messages;
  std::deque<MessageAnswer> answers;                         // for Yes/No/Cancel questions
  std::deque<std::pair<ChooseResult, std::string>> choices;  // for file dialogs
  std::vector<std::pair<FileKind, DialogMode>> dialogs;      // every dialog shown
  std::optional<InputsOutputs> inputsOutputs;                // the headerless-table answer
  bool cancelOutputChoices = false;
  int outputQuestions = 0;
  int dataReads = 0;
  int closeRequests = 0;
  std::vector<ToolWindow> shownWindows;
  std::vector<ModalDialog> dialogsRun;
  std::vector<PlotChange> plotChanges;
  std::string statusText;
  std::vector<std::string> recentFiles;
  std::vector<std::string> helpKeywords;  // "" for the contents
};

}  // namespace nodelyx::testing
