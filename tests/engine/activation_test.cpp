#include "engine/activation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace nodelyx {
namespace {

struct ActivationCase {
  const char* name;
  ActivationType type;
};

class ActivationDerivativeTest : public ::testing::TestWithParam<ActivationCase> {};

// For logistic, tanh and linear the derivative term at the output equals the
// true derivative of f at the net input.
TEST_P(ActivationDerivativeTest, DerivativeTermMatchesNumericalDerivative) {
  const ActivationType type = GetParam().type;
  for (double x = -3.0; x <= 3.0; x += 0.25) {
    const double h = 1e-6;
    const double numerical = (activate(type, x + h) - activate(type, x - h)) / (2 * h);
    EXPECT_NEAR(derivativeTerm(type, activate(type, x)), numerical, 1e-8) << "x=" << x;
  }
}

INSTANTIATE_TEST_SUITE_P(TrueDerivatives, ActivationDerivativeTest,
                         ::testing::Values(ActivationCase{"logistic", ActivationType::Logistic},
                                           ActivationCase{"tanh", ActivationType::Tanh},
                                           ActivationCase{"linear", ActivationType::Linear}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(ActivationTest, GaussianTermIsComputedFromTheOutput) {
  const double y = activate(ActivationType::Gaussian, 1.5);
  EXPECT_DOUBLE_EQ(y, std::exp(-1.125));
  EXPECT_EQ(derivativeTerm(ActivationType::Gaussian, y), -y * elementary::exp(-y * y / 2.0));
}

TEST(ActivationTest, UnknownCodesGiveZero) {
  const auto unknown = static_cast<ActivationType>(7);
  EXPECT_EQ(activate(unknown, 0.7), 0.0);
  EXPECT_EQ(derivativeTerm(unknown, 0.7), 0.0);
  EXPECT_EQ(activationName(unknown), "");
}

TEST(ActivationTest, NamesRoundTrip) {
  for (int code = 1; code <= 4; ++code) {
    const auto type = static_cast<ActivationType>(code);
    EXPECT_EQ(activationFromName(activationName(type)), type);
  }
  EXPECT_EQ(activationName(ActivationType::Gaussian), "Gaussian");
  EXPECT_EQ(static_cast<int>(activationFromName("gaussian")), 0);
  for (int code = 1; code <= 6; ++code) {
    const auto method = static_cast<TrainingMethod>(code);
    EXPECT_EQ(methodFromShortName(methodShortName(method)), method);
  }
  EXPECT_EQ(methodLongName(TrainingMethod::OnlineBackpropRandom), "Online Back-Propagation (Randomize)");
  EXPECT_EQ(methodShortName(TrainingMethod::OnlineBackpropRandom), "Online Backprop - Rand");
  EXPECT_EQ(methodLongName(static_cast<TrainingMethod>(9)), "");
}

}  // namespace
}  // namespace nodelyx
