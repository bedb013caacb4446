#include "engine/activation.h"

#include <array>

namespace nodelyx {
namespace {

constexpr std::array<std::string_view, 4> kActivationNames = {"logistic", "tanh", "linear", "Gaussian"};

struct MethodNames {
  TrainingMethod method;
  std::string_view longName;
  std::string_view shortName;
};

constexpr std::array<MethodNames, 6> kMethodNames = {{
    {TrainingMethod::OnlineBackprop, "Online Back-Propagation", "Online Backprop"},
    {TrainingMethod::BatchBackprop, "Batch Back-Propagation", "Batch Backprop"},
    {TrainingMethod::Rprop, "Rprop", "RPROP"},
    {TrainingMethod::Quickprop, "Quickprop", "QuickProp"},
    {TrainingMethod::DeltaBarDelta, "Delta-Bar-Delta", "Delta-Bar-Delta"},
    {TrainingMethod::OnlineBackpropRandom, "Online Back-Propagation (Randomize)", "Online Backprop - Rand"},
}};

const MethodNames* findMethod(TrainingMethod method) {
  for (const auto& entry : kMethodNames)
    if (entry.method == method) return &entry;
  return nullptr;
}

}  // namespace

std::string_view activationName(ActivationType type) {
  const auto code = static_cast<std::int32_t>(type);
  if (code < 1 || code > 4) return {};
  return kActivationNames[static_cast<std::size_t>(code - 1)];
}

ActivationType activationFromName(std::string_view name) {
  for (std::size_t k = 0; k < kActivationNames.size(); ++k)
    if (kActivationNames[k] == name) return static_cast<ActivationType>(k + 1);
  return static_cast<ActivationType>(0);
}

std::string_view methodLongName(TrainingMethod method) {
  const MethodNames* entry = findMethod(method);
  return entry ? entry->longName : std::string_view{};
}

std::string_view methodShortName(TrainingMethod method) {
  const MethodNames* entry = findMethod(method);
  return entry ? entry->shortName : std::string_view{};
}

TrainingMethod methodFromShortName(std::string_view name) {
  for (const auto& entry : kMethodNames)
    if (entry.shortName == name) return entry.method;
  return static_cast<TrainingMethod>(0);
}

}  // namespace nodelyx
