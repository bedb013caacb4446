// One epoch of every method against a reference written plainly from the
// formulas of the model: nested vectors indexed [l][j][i], loops in the
// engine's summation order, its own random generator. Nothing here calls the
// engine's training code; the two must agree to the last bit. (exp and tanh
// are the engine's elementary functions, the platform of both sides.)
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/elementary.h"
#include "engine/network.h"
#include "engine/random.h"

namespace nodelyx {
namespace {

using Matrix = std::vector<std::vector<double>>;

struct Reference {
  // The generator and the polar method, written again.
  std::uint32_t state = 1;
  int rand() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7fff);
  }
  double gaussian(double mean, double sigma) {
    if (sigma == 0) return mean;
    double a, b, s;
    do {
      a = (rand() % 32727) * (1.0 / 32737) * 2 - 1;
      b = (rand() % 32727) * (1.0 / 32737) * 2 - 1;
      s = a * a + b * b;
    } while (s > 1);
    return std::sqrt(-2 * std::log(s) / s) * a * sigma + mean;
  }

  static double f(int type, double x) {
    if (type == 1) return 1 / (1 + elementary::exp(-x));
    if (type == 2) return elementary::tanh(x);
    if (type == 3) return x;
    if (type == 4) return elementary::exp(-x * x / 2);
    return 0;
  }
  static double g(int type, double y) {
    if (type == 1) return y * (1 - y);
    if (type == 2) return 1 - y * y;
    if (type == 3) return 1;
    if (type == 4) return -y * elementary::exp(-y * y / 2);
    return 0;
  }

  int L = 0;
  std::vector<int> n;
  std::vector<int> type;
  std::vector<Matrix> w, c, batch, slope, rate, bar;  // [l][j][i]
  Matrix bias, cb, batchB, slopeB, rateB, barB;       // [l][j]
  Matrix out, net, delta;
  std::vector<double> err, errData, fromMin, fromMax, toMin, toMax;
  std::vector<double> satHigh, satLow;
  double momentum = 0, decay = 0, minW = 0, maxW = 0, noise = 0, rateFactor = 1;
  double rpInc = 0, rpDec = 0, rpMax = 0, rpMin = 0, mu = 0, dbInc = 0, dbDec = 0, dbAvg = 0;
  bool scaling = true;
  double maxError = 0, maxPatternRms = 0, rmsError = 0;
  unsigned correct = 0;

  void forward(const double* in, double sigma) {
    for (int i = 0; i < n[0]; ++i) {
      const double nz = gaussian(0, sigma);
      if (!scaling) {
        out[0][i] = nz + in[i];
      } else {
        const double F = (toMax[i] - toMin[i]) / (fromMax[i] - fromMin[i]);
        out[0][i] = F * in[i] + toMin[i] - F * fromMin[i] + nz;
      }
    }
    for (int l = 1; l < L; ++l)
      for (int j = 0; j < n[l]; ++j) {
        net[l][j] = 0;
        for (int i = 0; i < n[l - 1]; ++i) net[l][j] += out[l - 1][i] * w[l][j][i];
        net[l][j] = bias[l][j] + net[l][j];
        out[l][j] = f(type[l], net[l][j]);
      }
  }

  void outputError(const double* t) {
    for (int k = 0; k < n[L - 1]; ++k) {
      const double y = out[L - 1][k];
      const int col = n[0] + k;
      if (!scaling) {
        err[k] = t[k] - y;
        errData[k] = err[k];
      } else {
        const double F = (toMax[col] - toMin[col]) / (fromMax[col] - fromMin[col]);
        err[k] = (F * t[k] + toMin[col] - F * fromMin[col]) - y;
        const double G = (fromMax[col] - fromMin[col]) / (toMax[col] - toMin[col]);
        errData[k] = t[k] - (G * y + fromMin[col] - G * toMin[col]);
      }
    }
  }

  double evaluate(const std::vector<std::vector<double>>& in, const std::vector<std::vector<double>>& tg,
                  double margin) {
    maxError = 0;
    maxPatternRms = 0;
    correct = 0;
    double total = 0;
    for (std::size_t p = 0; p < in.size(); ++p) {
      forward(in[p].data(), 0);
      outputError(tg[p].data());
      double sum = 0;
      for (int k = 0; k < n[L - 1]; ++k) {
        const double e = errData[k];
        sum += e * e;
        if (std::fabs(e) > std::fabs(maxError)) maxError = e;
      }
      const double prms = std::sqrt(sum / n[L - 1]);
      if (prms <= margin) ++correct;
      if (prms > maxPatternRms) maxPatternRms = prms;
      total += prms * prms;
    }
    rmsError = std::sqrt(total / static_cast<double>(in.size()));
    return rmsError;
  }

  void deltas() {
    for (int l = L - 1; l >= 1; --l)
      for (int j = 0; j < n[l]; ++j) {
        const double y = out[l][j];
        if (l == L - 1) {
          delta[l][j] = g(type[l], y) * err[j];
        } else {
          double sum = 0;
          for (int k = 0; k < n[l + 1]; ++k) sum += w[l + 1][k][j] * delta[l + 1][k];
          delta[l][j] = g(type[l], y) * sum;
        }
      }
  }

  void finish(double& p, double& change, double old) {
    p = p - p * decay;
    p = std::min(p, maxW);
    p = std::max(p, minW);
    change = p - old;
  }

  void onlineUpdate() {
    for (int l = 1; l < L; ++l)
      for (int j = 0; j < n[l]; ++j) {
        double old = bias[l][j];
        bias[l][j] = cb[l][j] * momentum + rateB[l][j] * 1.0 * delta[l][j] * rateFactor + bias[l][j];
        finish(bias[l][j], cb[l][j], old);
        for (int i = 0; i < n[l - 1]; ++i) {
          old = w[l][j][i];
          w[l][j][i] =
              c[l][j][i] * momentum + rate[l][j][i] * out[l - 1][i] * delta[l][j] * rateFactor + w[l][j][i];
          finish(w[l][j][i], c[l][j][i], old);
        }
      }
  }

  void accumulate() {
    for (int l = 1; l < L; ++l)
      for (int j = 0; j < n[l]; ++j) {
        batchB[l][j] += rateB[l][j] * delta[l][j] * rateFactor;
        for (int i = 0; i < n[l - 1]; ++i)
          batch[l][j][i] += rate[l][j][i] * out[l - 1][i] * delta[l][j] * rateFactor;
      }
  }

  void clearBatch() {
    for (int l = 1; l < L; ++l)
      for (int j = 0; j < n[l]; ++j) {
        batchB[l][j] = 0;
        for (int i = 0; i < n[l - 1]; ++i) batch[l][j][i] = 0;
      }
  }

  // Calls step(w, c, s, p, r, bar) for every parameter: bias first, then weights.
  template <typename Step>
  void eachParameter(Step step) {
    for (int l = 1; l < L; ++l)
      for (int j = 0; j < n[l]; ++j) {
        step(bias[l][j], cb[l][j], batchB[l][j], slopeB[l][j], rateB[l][j], barB[l][j]);
        for (int i = 0; i < n[l - 1]; ++i)
          step(w[l][j][i], c[l][j][i], batch[l][j][i], slope[l][j][i], rate[l][j][i], bar[l][j][i]);
      }
  }

  void batchUpdate() {
    eachParameter([&](double& p, double& ch, double& s, double&, double&, double&) {
      const double old = p;
      p = ch * momentum + s + p;
      finish(p, ch, old);
    });
  }

  void tail(double& p, double& ch, double d) {
    const double old = p;
    p = ch * momentum + p + d;
    finish(p, ch, old);
  }

  void rprop() {
    eachParameter([&](double& p, double& ch, double& s, double& prev, double& r, double&) {
      const double sign = s < 0 ? -1 : 1;
      const double q = prev * s;
      double d;
      if (std::fabs(q) < 1e-9) {
        d = sign * r;
        prev = s;
      } else if (q > 0) {
        r = std::min(r * rpInc, rpMax);
        d = sign * r;
        prev = s;
      } else {
        r = std::max(r * rpDec, rpMin);
        d = -ch;
        prev = 0;
      }
      tail(p, ch, d);
    });
  }

  void quickprop() {
    const double shrink = mu / (mu + 1);
    eachParameter([&](double& p, double& ch, double& s, double& prev, double& r, double&) {
      const double S = -s, D = prev - S;
      double d = 0;
      auto quad = [&] {
        if (std::fabs(D) > 0.0001) d = d + (S / D) * ch;
      };
      if (ch < 0) {
        if (S > 0) d = -(S * r);
        if (S < shrink * prev)
          quad();
        else
          d = d + ch * mu;
      } else if (ch == 0) {
        d = -(S * r);
      } else {
        if (S < 0) d = -(S * r);
        if (S > shrink * prev)
          quad();
        else
          d = d + ch * mu;
      }
      prev = S;
      tail(p, ch, d);
    });
  }

  void dbd() {
    eachParameter([&](double&, double&, double& s, double&, double& r, double& b) {
      const double q = b * s;
      if (q > 0.000001)
        r = r + dbInc;
      else if (q < -0.000001)
        r = (1 - dbDec) * r;
      b = dbAvg * b + (1 - dbAvg) * s;
    });
  }

  void preventSaturation(const Matrix& in, int threshold) {
    std::vector<std::vector<int>> counts(L);
    for (int l = 1; l < L; ++l) counts[l].assign(n[l], 0);
    for (const auto& row : in) {
      forward(row.data(), 0);
      for (int l = 1; l < L; ++l)
        for (int j = 0; j < n[l]; ++j)
          if (out[l][j] > satHigh[l] || out[l][j] < satLow[l]) ++counts[l][j];
    }
    const double limit = std::trunc(static_cast<double>(in.size()) * threshold * 0.01);
    for (int l = 1; l < L - 1; ++l)
      for (int j = 0; j < n[l]; ++j)
        if (counts[l][j] >= limit) {
          for (int i = 0; i < n[l - 1]; ++i) w[l][j][i] *= static_cast<double>(0.1f);
          bias[l][j] *= static_cast<double>(0.1f);
        }
  }

  void patternStep(const Matrix& in, const Matrix& tg, int p, double clip, double margin, bool online) {
    forward(in[p].data(), noise);
    outputError(tg[p].data());
    if (clip < 1.0) {
      double sum = 0;
      for (int k = 0; k < n[L - 1]; ++k) sum += errData[k] * errData[k];
      const double r = std::sqrt(sum / n[L - 1]);
      if (r > margin)
        rateFactor = 1.0;
      else if (clip != 0)
        rateFactor = clip;
      else
        return;
    }
    deltas();
    if (online)
      onlineUpdate();
    else
      accumulate();
  }

  double epoch(int method, const Matrix& in, const Matrix& tg, double clip, double margin, bool prevent,
               int threshold) {
    maxError = 0;
    const int count = static_cast<int>(in.size());
    if (prevent) preventSaturation(in, threshold);
    if (method == 1 || method == 6) {
      rateFactor = 1.0;
      for (int u = 0; u < count; ++u)
        patternStep(in, tg, method == 1 ? u : rand() % count, clip, margin, true);
    } else {
      if (method == 5) dbd();
      rateFactor = 1.0;
      clearBatch();
      for (int p = 0; p < count; ++p) patternStep(in, tg, p, clip, margin, false);
      if (method == 3)
        rprop();
      else if (method == 4)
        quickprop();
      else
        batchUpdate();
    }
    return evaluate(in, tg, margin);
  }
};

std::vector<Matrix> copyWeights(const Network& net, const WeightBlock<double>& block) {
  std::vector<Matrix> m(static_cast<std::size_t>(net.layerCount()));
  for (int l = 1; l < net.layerCount(); ++l) {
    m[l].assign(net.layerSize(l), std::vector<double>(net.layerSize(l - 1)));
    for (int j = 0; j < net.layerSize(l); ++j)
      for (int i = 0; i < net.layerSize(l - 1); ++i) m[l][j][i] = block.at(l, j, i);
  }
  return m;
}

Matrix copyNeurons(const Network& net, const NeuronBlock<double>& block) {
  Matrix m(static_cast<std::size_t>(net.layerCount()));
  for (int l = 0; l < net.layerCount(); ++l) {
    m[l].assign(net.layerSize(l), 0.0);
    if (l > 0)
      for (int j = 0; j < net.layerSize(l); ++j) m[l][j] = block.at(l, j);
  }
  return m;
}

Reference referenceOf(const Network& net) {
  Reference r;
  r.L = net.layerCount();
  r.n.assign(net.layerSizes().begin(), net.layerSizes().end());
  for (const ActivationType t : net.layerTypes) r.type.push_back(static_cast<int>(t));
  r.w = copyWeights(net, net.weights);
  r.c = copyWeights(net, net.prevWeightChange);
  r.batch = copyWeights(net, net.batchWeightChange);
  r.slope = copyWeights(net, net.prevWeightSlope);
  r.rate = copyWeights(net, net.weightRates);
  r.bar = copyWeights(net, net.weightBars);
  r.bias = copyNeurons(net, net.biases);
  r.cb = copyNeurons(net, net.prevBiasChange);
  r.batchB = copyNeurons(net, net.batchBiasChange);
  r.slopeB = copyNeurons(net, net.prevBiasSlope);
  r.rateB = copyNeurons(net, net.biasRates);
  r.barB = copyNeurons(net, net.biasBars);
  r.out = copyNeurons(net, net.outputs);
  r.net = r.out;
  r.delta = r.out;
  r.err.assign(net.outputCount(), 0);
  r.errData = r.err;
  r.fromMin = net.fromMin;
  r.fromMax = net.fromMax;
  r.toMin = net.toMin;
  r.toMax = net.toMax;
  r.satHigh = net.saturationHigh;
  r.satLow = net.saturationLow;
  r.momentum = net.momentum;
  r.decay = net.weightDecay;
  r.minW = net.minWeight;
  r.maxW = net.maxWeight;
  r.noise = net.inputNoise;
  r.rpInc = net.rpropIncrease;
  r.rpDec = net.rpropDecrease;
  r.rpMax = net.rpropMaxStep;
  r.rpMin = net.rpropMinStep;
  r.mu = net.quickpropMu;
  r.dbInc = net.dbdIncrease;
  r.dbDec = net.dbdDecrease;
  r.dbAvg = net.dbdAverage;
  return r;
}

void expectSame(const Network& net, const Reference& r, const std::string& where) {
  for (int l = 1; l < net.layerCount(); ++l)
    for (int j = 0; j < net.layerSize(l); ++j) {
      ASSERT_EQ(net.biases.at(l, j), r.bias[l][j]) << where << " bias " << l << "," << j;
      ASSERT_EQ(net.prevBiasChange.at(l, j), r.cb[l][j]) << where;
      ASSERT_EQ(net.biasRates.at(l, j), r.rateB[l][j]) << where;
      ASSERT_EQ(net.prevBiasSlope.at(l, j), r.slopeB[l][j]) << where;
      ASSERT_EQ(net.biasBars.at(l, j), r.barB[l][j]) << where;
      for (int i = 0; i < net.layerSize(l - 1); ++i) {
        ASSERT_EQ(net.weights.at(l, j, i), r.w[l][j][i]) << where << " weight " << l << "," << j << "," << i;
        ASSERT_EQ(net.prevWeightChange.at(l, j, i), r.c[l][j][i]) << where;
        ASSERT_EQ(net.batchWeightChange.at(l, j, i), r.batch[l][j][i]) << where;
        ASSERT_EQ(net.weightRates.at(l, j, i), r.rate[l][j][i]) << where;
        ASSERT_EQ(net.prevWeightSlope.at(l, j, i), r.slope[l][j][i]) << where;
        ASSERT_EQ(net.weightBars.at(l, j, i), r.bar[l][j][i]) << where;
      }
    }
  ASSERT_EQ(net.rmsError, r.rmsError) << where;
  ASSERT_EQ(net.maxError, r.maxError) << where;
  ASSERT_EQ(net.maxPatternRms, r.maxPatternRms) << where;
  ASSERT_EQ(net.correctCount, r.correct) << where;
}

struct Shape {
  const char* name;
  ActivationType hidden;
  ActivationType output;
};

class TrainingReferenceTest : public ::testing::TestWithParam<std::tuple<int, Shape>> {
 protected:
  void TearDown() override { scalingEnabled = 0; }
};

// Epochs of the engine against the plain computation. Without input noise
// a batch epoch takes the pass its statistics pass did ahead, unless the
// settings, the weights or the set changed: the epochs vary the clipping,
// prevent saturation once and change a target in place between epochs.
void expectEpochsMatch(int method, const Shape& shape, double noise,
                       const std::vector<int>& sizes = {2, 3, 2}) {
  scalingEnabled = 1;
  Network net(sizes, -1.5, 1.5);
  net.randomizeWeights(11);
  for (int l = 1; l + 1 < static_cast<int>(sizes.size()); ++l) net.setLayerType(l, shape.hidden);
  net.setLayerType(6, shape.output);
  const double ranges[4][4] = {{0, 10, -1, 1}, {-5, 5, -1, 1}, {0, 1, 0.1, 0.9}, {-2, 2, 0.1, 0.9}};
  for (std::size_t col = 0; col < 4; ++col) {
    net.fromMin[col] = ranges[col][0];
    net.fromMax[col] = ranges[col][1];
    net.toMin[col] = ranges[col][2];
    net.toMax[col] = ranges[col][3];
  }
  AdaptiveSettings adaptive;
  adaptive.rpropInitialStep = 0.05;
  net.setTrainingMethod(static_cast<TrainingMethod>(method), adaptive);
  if (method != 3) net.setLearningRate(0.3);
  net.setMomentum(0.4);
  net.setWeightDecay(0.002);
  net.setInputNoise(noise);

  // Seven patterns: the engine's blocks of four leave a block of three.
  const Matrix in = {{1, -4}, {9, 3}, {5, 0}, {2, 4.5}, {7, -2}, {0.5, 1}, {3, -3}};
  Matrix tg = {{0.2, -1.5}, {0.9, 1.8}, {0.5, 0}, {0.1, 1}, {0.7, -0.5}, {0.3, 0.2}, {0.6, -1}};
  std::vector<double> rows;
  for (std::size_t p = 0; p < in.size(); ++p) {
    rows.insert(rows.end(), in[p].begin(), in[p].end());
    rows.insert(rows.end(), tg[p].begin(), tg[p].end());
  }
  const PatternView set(rows.data(), 4, 2, 7, true);
  EpochSettings settings;
  settings.patternClip = 0.5;
  settings.errorMargin = 0.6;
  settings.saturationThreshold = 30;

  Reference ref = referenceOf(net);
  seedRandom(1);
  ref.state = 1;
  for (int epoch = 0; epoch < 8; ++epoch) {
    settings.preventSaturation = epoch == 2;
    settings.patternClip = epoch == 1 ? 0.0 : 0.5;  // 0 skips learned patterns
    if (epoch == 6) rows[3] = tg[0][1] = -1.25;     // the set changes where it is
    const double rms = net.trainEpoch(set, settings);
    const double refRms = ref.epoch(method, in, tg, settings.patternClip, settings.errorMargin,
                                    settings.preventSaturation, settings.saturationThreshold);
    ASSERT_EQ(rms, refRms) << "epoch " << epoch;
    expectSame(net, ref, "epoch " + std::to_string(epoch));
  }
}

TEST_P(TrainingReferenceTest, EpochsMatchThePlainComputation) {
  const auto [method, shape] = GetParam();
  for (const double noise : {0.05, 0.0}) {
    SCOPED_TRACE("input noise " + std::to_string(noise));
    expectEpochsMatch(method, shape, noise);
  }
}

// Hidden layers wide enough that an online step also computes the next
// pattern's sums as it updates the weights.
TEST(TrainingReferenceWideTest, OnlineEpochsOfWideLayersMatchThePlainComputation) {
  const Shape shape{"tanh_linear", ActivationType::Tanh, ActivationType::Linear};
  for (const int method : {1, 6}) {
    for (const double noise : {0.05, 0.0}) {
      SCOPED_TRACE("method " + std::to_string(method) + ", input noise " + std::to_string(noise));
      expectEpochsMatch(method, shape, noise, {2, 64, 70, 2});
    }
  }
  scalingEnabled = 0;
}

INSTANTIATE_TEST_SUITE_P(
    AllMethods, TrainingReferenceTest,
    ::testing::Combine(
        ::testing::Range(1, 7),
        ::testing::Values(Shape{"logistic_logistic", ActivationType::Logistic, ActivationType::Logistic},
                          Shape{"tanh_linear", ActivationType::Tanh, ActivationType::Linear},
                          Shape{"gaussian_tanh", ActivationType::Gaussian, ActivationType::Tanh})),
    [](const auto& testInfo) {
      return "method" + std::to_string(std::get<0>(testInfo.param)) + "_" + std::get<1>(testInfo.param).name;
    });

}  // namespace
}  // namespace nodelyx
