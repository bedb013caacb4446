#include "app/control_id.h"

#include <array>

namespace nodelyx {
namespace {

// Indexed by layer − 1. The activation lists were numbered out of order.
constexpr std::array<ControlId, 5> kHiddenNeurons = {ControlId::HiddenNeurons1, ControlId::HiddenNeurons2,
                                                     ControlId::HiddenNeurons3, ControlId::HiddenNeurons4,
                                                     ControlId::HiddenNeurons5};
constexpr std::array<ControlId, 5> kHiddenActivation = {
    ControlId::HiddenActivation1, ControlId::HiddenActivation2, ControlId::HiddenActivation3,
    ControlId::HiddenActivation4, ControlId::HiddenActivation5};

ControlId perLayer(const std::array<ControlId, 5>& controls, int layer) {
  if (layer < 1 || layer > 5) return ControlId::None;
  return controls[static_cast<std::size_t>(layer - 1)];
}

}  // namespace

ControlId hiddenNeuronsControl(int layer) { return perLayer(kHiddenNeurons, layer); }
ControlId hiddenActivationControl(int layer) { return perLayer(kHiddenActivation, layer); }

}  // namespace nodelyx
