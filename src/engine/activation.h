// Activation functions of a layer and the names of the training methods.
// Pure functions; any thread may call them.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/elementary.h"

namespace nodelyx {

// Stored in files as the integer code. Codes outside 1..4 are kept as they
// are: such a layer outputs 0 and has derivative term 0.
enum class ActivationType : std::int32_t { Logistic = 1, Tanh = 2, Linear = 3, Gaussian = 4 };

// Stored in files as the integer code.
enum class TrainingMethod : std::int32_t {
  OnlineBackprop = 1,
  BatchBackprop = 2,
  Rprop = 3,
  Quickprop = 4,
  DeltaBarDelta = 5,
  OnlineBackpropRandom = 6,
};

// f(x) of the net input x (exp and tanh are the engine's own, which give
// the same bits everywhere).
inline double activate(ActivationType type, double x) {
  switch (type) {
    case ActivationType::Logistic:
      return 1.0 / (1.0 + elementary::exp(-x));
    case ActivationType::Tanh:
      return elementary::tanh(x);
    case ActivationType::Linear:
      return x;
    case ActivationType::Gaussian:
      return elementary::exp(-x * x / 2.0);
  }
  return 0.0;
}

// The derivative term g(y) used by training, computed from the neuron's
// output y (also for the Gaussian, where it is not the true derivative).
inline double derivativeTerm(ActivationType type, double y) {
  switch (type) {
    case ActivationType::Logistic:
      return y * (1.0 - y);
    case ActivationType::Tanh:
      return 1.0 - y * y;
    case ActivationType::Linear:
      return 1.0;
    case ActivationType::Gaussian:
      return -y * elementary::exp(-y * y / 2.0);
  }
  return 0.0;
}

// "logistic", "tanh", "linear", "Gaussian"; empty for other codes.
std::string_view activationName(ActivationType type);

// Parses one of the four names (exact spelling); 0 as the code when unknown.
ActivationType activationFromName(std::string_view name);

// The name used in history records ("Online Back-Propagation", ...); empty
// for codes outside 1..6.
std::string_view methodLongName(TrainingMethod method);

// The name shown in the method list ("Online Backprop", ...); empty for codes
// outside 1..6.
std::string_view methodShortName(TrainingMethod method);

// Parses a short name; 0 as the code when unknown.
TrainingMethod methodFromShortName(std::string_view name);

}  // namespace nodelyx
