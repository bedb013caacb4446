#include "engine/activation.h"

#include <gtest/gtest.h>

namespace nodelyx {
namespace {

class ActivationDerivativeTest : public ::testing::TestWithParam<ActivationType> {};

// For logistic, tanh and linear the derivative term at the output equals the
// true derivative of f at the net input.
TEST_P(ActivationDerivativeTest, DerivativeTermMatchesNumericalDerivative) {
  const ActivationType type = GetParam();
  for (double x = -3.0; x <= 3.0; x += 0.25) {
    const double h = 1e-6;
    const double numerical = (activate(type, x + h) - activate(type, x - h)) / (2 * h);
    EXPECT_NEAR(derivativeTerm(type, activate(type, x)), numerical, 1e-8) << "x=" << x;
  }
}

INSTANTIATE_TEST_SUITE_P(TrueDerivatives, ActivationDerivativeTest,
                         ::testing::Values(ActivationType::Logistic, ActivationType::Tanh,
                                           ActivationType::Linear),
                         [](const auto& testInfo) { return std::string(activationName(testInfo.param)); });

TEST(ActivationTest, NamesRoundTripAndUnknownCodesGiveNothing) {
  for (int code = 1; code <= 4; ++code) {
    const auto type = static_cast<ActivationType>(code);
    EXPECT_EQ(activationFromName(activationName(type)), type) << code;
  }
  for (int code = 1; code <= 6; ++code) {
    const auto method = static_cast<TrainingMethod>(code);
    EXPECT_EQ(methodFromShortName(methodShortName(method)), method) << code;
  }
  EXPECT_EQ(activationName(ActivationType::Gaussian), "Gaussian");
  EXPECT_EQ(static_cast<int>(activationFromName("gaussian")), 0) << "the spelling is exact";
  EXPECT_EQ(methodLongName(TrainingMethod::OnlineBackpropRandom), "Online Back-Propagation (Randomize)");
  EXPECT_EQ(methodShortName(TrainingMethod::OnlineBackpropRandom), "Online Backprop - Rand");

  const auto unknownType = static_cast<ActivationType>(7);
  EXPECT_EQ(derivativeTerm(unknownType, 0.7), 0.0);
  EXPECT_EQ(activationName(unknownType), "");
  EXPECT_EQ(methodLongName(static_cast<TrainingMethod>(9)), "");
  EXPECT_EQ(static_cast<int>(methodFromShortName("Rprop")), 0);
}

}  // namespace
}  // namespace nodelyx
