// Builds the main window's panel from the panel table: one widget per row
// (numeric edits, check boxes, lists, texts, buttons) with the object name
// "ctl<number>", its label as buddy and its accessible name, laid out in the
// table's groups, with the table's order as the tab order. The widgets are
// not connected to anything; the window does that. GUI thread only.
#pragma once

#include <QWidget>
#include <unordered_map>

#include "app/control_id.h"

namespace nodelyx {

struct PanelWidgets {
  QWidget* panel = nullptr;  // the panel itself, owned by the parent given
  std::unordered_map<ControlId, QWidget*> controls;
};

PanelWidgets buildPanel(QWidget* parent);

}  // namespace nodelyx
