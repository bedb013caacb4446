// The network view's modal "Change Scale" dialog: the six thresholds of the
// colour classes, the seven colour bars, OK and Defaults. Each field is
// checked when it is left (between its neighbours, the outer ones within
// ±1e9); an accepted value is stored at once and the view repainted, a
// refused one names the range and leaves the threshold as it was. GUI
// thread only.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "plots/network_view.h"

namespace nodelyx {

class NumericEdit;

inline constexpr const char* kChangeScaleObjectName = "changeScale";
// Control identifiers: the fields 10..15 (object names "ctl10".."ctl15"),
// the colour bars, OK and Defaults.
inline constexpr int kFirstThresholdControl = 10;
inline constexpr int kColorBarsControl = 278;
inline constexpr int kScaleOkButton = 1;
inline constexpr int kScaleDefaultsButton = 2;

class ChangeScaleDialog final : public QDialog {
 public:
  // Edits thresholds in place; changed is called after every change stored
  // (the owner repaints). Both outlive the dialog.
  ChangeScaleDialog(ScaleThresholds& thresholds, std::function<void()> changed, QWidget* owner);

 private:
  // False when the field's text was refused.
  bool commitField(int index);
  void okPressed();
  void defaultsPressed();

  ScaleThresholds& thresholds_;
  std::function<void()> changed_;
  std::array<NumericEdit*, kThresholdCount> fields_{};
  bool committing_ = false;   // a refusal's message and refocus are under way
  bool refusedLast_ = false;  // the last commit was refused (Enter then keeps the dialog)
};

}  // namespace nodelyx
