// The adaptive batch methods: RPROP, QuickProp and Delta-Bar-Delta. Each
// works parameter by parameter on the slope accumulated over the epoch
// (batchWeightChange, already scaled by the parameter's rate).
#include <cmath>

#include "engine/network.h"

namespace nodelyx {
namespace {

constexpr double kRpropSameSlope = 0.000000001;
constexpr double kQuickpropMinDenominator = 0.0001;
constexpr double kDbdThreshold = 0.000001;

struct Tail {
  double momentum, weightDecay, minWeight, maxWeight;
};

// Momentum, decay, the limits (upper first) and the change applied, after a
// method has computed its step d.
inline void applyStep(double& w, double& change, double d, const Tail& t) {
  const double old = w;
  double v = change * t.momentum + w + d;
  v = v - v * t.weightDecay;
  v = v > t.maxWeight ? t.maxWeight : v;
  v = v < t.minWeight ? t.minWeight : v;
  w = v;
  change = v - old;
}

// Calls f(w, change, slope, previousSlope, rate, bar) for every parameter:
// by layer, each neuron's bias and then its weights (the order does not
// change any result: every parameter's step depends on itself only).
template <typename F>
void forEachParameter(Network& net, F f) {
  for (int l = 1; l < net.layerCount(); ++l) {
    const auto n = static_cast<std::size_t>(net.layerSize(l));
    double* w = net.biases.layer(l);
    double* c = net.prevBiasChange.layer(l);
    const double* s = net.batchBiasChange.layer(l);
    double* p = net.prevBiasSlope.layer(l);
    double* r = net.biasRates.layer(l);
    double* b = net.biasBars.layer(l);
    for (std::size_t j = 0; j < n; ++j) f(w[j], c[j], s[j], p[j], r[j], b[j]);
    const std::size_t weights = n * static_cast<std::size_t>(net.layerSize(l - 1));
    w = net.weights.layer(l);
    c = net.prevWeightChange.layer(l);
    s = net.batchWeightChange.layer(l);
    p = net.prevWeightSlope.layer(l);
    r = net.weightRates.layer(l);
    b = net.weightBars.layer(l);
    for (std::size_t k = 0; k < weights; ++k) f(w[k], c[k], s[k], p[k], r[k], b[k]);
  }
}

}  // namespace

void Network::setRpropParams(double increase, double decrease, double maxStep, double minStep,
                             double initialStep) {
  rpropIncrease = increase;
  rpropDecrease = decrease;
  rpropMaxStep = maxStep;
  rpropMinStep = minStep;
  setLearningRate(initialStep);
}

void Network::setDbdParams(double increase, double decrease, double average) {
  dbdIncrease = increase;
  dbdDecrease = decrease;
  dbdAverage = average;
}

void Network::rpropUpdate() {
  const Tail tail{momentum, weightDecay, minWeight, maxWeight};
  const double increase = rpropIncrease, decrease = rpropDecrease;
  const double maxStep = rpropMaxStep, minStep = rpropMinStep;
  forEachParameter(*this, [&](double& w, double& c, double s, double& p, double& r, double&) {
    const double sign = s < 0.0 ? -1.0 : 1.0;
    const double q = p * s;
    double d;
    if (std::fabs(q) < kRpropSameSlope) {
      d = sign * r;
      p = s;
    } else if (q > 0.0) {
      const double grown = r * increase;
      r = grown > maxStep ? maxStep : grown;
      d = sign * r;
      p = s;
    } else {
      const double shrunk = r * decrease;
      r = shrunk < minStep ? minStep : shrunk;
      d = -c;  // take the last change back
      p = 0.0;
    }
    applyStep(w, c, d, tail);
  });
}

void Network::quickpropUpdate() {
  const Tail tail{momentum, weightDecay, minWeight, maxWeight};
  const double mu = quickpropMu;
  const double shrink = mu / (mu + 1.0);
  forEachParameter(*this, [&](double& w, double& c, double s, double& p, double& r, double&) {
    const double slope = -s;  // towards the error gradient
    const double denominator = p - slope;
    double d = 0.0;
    const auto quadratic = [&] {
      if (std::fabs(denominator) > kQuickpropMinDenominator) d = d + (slope / denominator) * c;
    };
    if (c < 0.0) {
      if (slope > 0.0) d = -(slope * r);
      if (slope < shrink * p)
        quadratic();
      else
        d = d + c * mu;
    } else if (c == 0.0) {
      d = -(slope * r);
    } else if (c > 0.0) {
      if (slope < 0.0) d = -(slope * r);
      if (slope > shrink * p)
        quadratic();
      else
        d = d + c * mu;
    }
    p = slope;
    applyStep(w, c, d, tail);
  });
}

void Network::dbdAdjustRates() {
  const double increase = dbdIncrease, decrease = dbdDecrease, average = dbdAverage;
  forEachParameter(*this, [&](double&, double&, double s, double&, double& r, double& b) {
    const double q = b * s;
    if (q > kDbdThreshold)
      r = r + increase;
    else if (q < -kDbdThreshold)
      r = (1.0 - decrease) * r;
    b = average * b + (1.0 - average) * s;
  });
}

}  // namespace nodelyx
