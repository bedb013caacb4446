// The data scaling settings dialog's logic apart from Qt: whether and how
// the network scales its inputs and unscales its outputs (None, Auto,
// Manual), and the ranges of the session's scaling record column by
// column. Every change goes into the record at once; the network receives
// the record only when the dialog is left with OK. GUI thread only, and
// never while a training run is active (the main window refuses first).
#pragma once

#include <string>
#include <vector>

#include "app/dialog_view.h"
#include "app/help_topics.h"
#include "app/session.h"

namespace nodelyx {

// The dialog's controls; the Qt dialog names each "ctl<number>".
namespace scaling_options {
enum Control : int {
  Ok = 1,
  RawLow = 102,
  RawHigh = 103,
  ScaledLow = 106,
  ScaledHigh = 107,
  None = 1099,
  Auto = 1100,
  Manual = 1101,
  Parameter = 1102,
  Help = 40015,
};
}  // namespace scaling_options

class ScalingOptionsView : public DialogView {
 public:
  // Replaces the entries of a drop-down list.
  virtual void setListItems(int id, const std::vector<std::string>& items) = 0;
  // Selects an entry by its index; -1 selects none.
  virtual void selectListItem(int id, int index) = 0;
};

class ScalingOptions {
 public:
  ScalingOptions(Session& session, ScalingOptionsView& view, HelpViewer& help)
      : session_(session), view_(view), help_(help) {}

  // The dialog opens: the list of columns, then the record's mode as if
  // its radio button had been clicked.
  void initialize();
  // None, Auto or Manual was clicked.
  void modeClicked(int id);
  // The entry at index of the "Parameter" list was chosen.
  void parameterSelected(int index);
  // One of the four range edits was edited or left.
  void fieldNotified(int id, FieldNotification notification);
  // OK: the record goes to the network (when there is one); the dialog ends.
  void ok();
  void help() { help_.showHelp(help::kAutomaticScaling); }
  // The close box: the dialog ends, and the network keeps its ranges.
  void close() { view_.endDialog(); }

  // The record's column the edits show and change; columnCount() or more
  // when there is none.
  std::size_t currentColumn() const { return column_; }

 private:
  bool columnInRecord() const;
  void showColumn();
  void enableManualControls(bool enabled);

  Session& session_;
  ScalingOptionsView& view_;
  HelpViewer& help_;
  std::uint32_t listInputs_ = 0;  // the list's entries of input columns
  std::size_t column_ = 0;        // of the record; beyond it: none
};

}  // namespace nodelyx
