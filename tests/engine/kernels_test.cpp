// Every instruction-set variant of the kernels gives the same bits: each is
// built here as the engine builds it (baseline, AVX2, AVX-512) and run on the
// same data, with one to four patterns at a time.
#include "engine/kernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace nodelyx {
namespace {

using Values = std::vector<double>;

Values randomValues(std::size_t n, std::mt19937_64& generator, double scale = 1.0) {
  std::uniform_real_distribution<double> uniform(-scale, scale);
  Values values(n);
  for (double& v : values) v = uniform(generator);
  return values;
}

// Equal bits; any two NaNs count as equal (IEEE leaves a NaN's sign and
// payload to the hardware, and a NaN means the same whatever its bits).
bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof(double)) == 0 || (a != a && b != b); }

::testing::AssertionResult sameBits(const Values& a, const Values& b) {
  if (a.size() != b.size())
    return ::testing::AssertionFailure() << "sizes " << a.size() << " and " << b.size();
  for (std::size_t k = 0; k < a.size(); ++k)
    if (!sameBits(a[k], b[k]))
      return ::testing::AssertionFailure() << "value " << k << ": " << a[k] << " and " << b[k];
  return ::testing::AssertionSuccess();
}

struct Inputs {
  std::size_t sources, neurons;
  Values x, w, change, rates, deltas, big;  // x and deltas: kernels::kMaxPatterns patterns
  kernels::UpdateConstants constants;
};

// Every result of every kernel of one variant, one after the other.
Values runAll(const Inputs& in) {
  namespace k = kernels;
  const std::size_t n = in.neurons, sources = in.sources;
  Values all;
  const double* x[kernels::kMaxPatterns];
  const double* d[kernels::kMaxPatterns];
  double* net[kernels::kMaxPatterns];
  const double factors[] = {1.0, 0.5, 0.25, 1.0};
  std::vector<Values> sums(kernels::kMaxPatterns, Values(n));
  for (std::size_t p = 0; p < kernels::kMaxPatterns; ++p) {
    x[p] = in.x.data() + p * sources;
    d[p] = in.deltas.data() + p * n;
    net[p] = sums[p].data();
  }
  for (std::size_t patterns = 1; patterns <= kernels::kMaxPatterns; ++patterns) {
    k::weightedSums(patterns, x, sources, in.w.data(), n, net);
    for (std::size_t p = 0; p < patterns; ++p) all.insert(all.end(), sums[p].begin(), sums[p].end());
    Values accumulated = in.change;
    k::accumulateLayer(patterns, accumulated.data(), in.rates.data(), x, sources, d, factors, n);
    all.insert(all.end(), accumulated.begin(), accumulated.end());
  }
  Values back(sources);
  k::backSums(in.w.data(), sources, n, in.deltas.data(), back.data());
  all.insert(all.end(), back.begin(), back.end());
  // The same sums from the weights stored neuron-major give the same bits.
  Values transposed(n * sources), backFromTransposed(sources);
  for (std::size_t j = 0; j < sources; ++j)
    for (std::size_t m = 0; m < n; ++m) transposed[m * sources + j] = in.w[j * n + m];
  k::backSumsTransposed(transposed.data(), sources, n, in.deltas.data(), backFromTransposed.data());
  EXPECT_TRUE(sameBits(back, backFromTransposed)) << sources << "x" << n;
  for (int type = 0; type <= 5; ++type) {
    Values out(in.big.size());
    k::activateLayer(static_cast<ActivationType>(type), in.big.data(), out.data(), in.big.size());
    all.insert(all.end(), out.begin(), out.end());
  }
  Values w(in.w.begin(), in.w.begin() + static_cast<std::ptrdiff_t>(sources * n)), change = in.change;
  k::onlineUpdateLayer(w.data(), change.data(), in.rates.data(), in.x.data(), sources, in.deltas.data(), n,
                       in.constants);
  all.insert(all.end(), w.begin(), w.end());
  all.insert(all.end(), change.begin(), change.end());
  // The step that also sums the next pattern (x[1]) gives the step's
  // parameters and the sums weightedSums gives from them, with rates and
  // with one rate for all.
  for (const bool uniform : {false, true}) {
    kernels::UpdateConstants constants = in.constants;
    constants.uniformRate = in.rates.front();
    const double* rates = uniform ? nullptr : in.rates.data();
    Values stepped(in.w.begin(), in.w.begin() + static_cast<std::ptrdiff_t>(sources * n));
    Values steppedChange = in.change, fused = stepped, fusedChange = in.change, fusedNet(n), plainNet(n);
    k::onlineUpdateLayer(stepped.data(), steppedChange.data(), rates, in.x.data(), sources, in.deltas.data(),
                         n, constants);
    k::onlineUpdateLayerWithSums(fused.data(), fusedChange.data(), rates, in.x.data(), sources,
                                 in.deltas.data(), n, constants, x[1], fusedNet.data());
    stepped.resize(stepped.size() + kernels::kReadSlack);
    double* netOut = plainNet.data();
    k::weightedSums(1, x + 1, sources, stepped.data(), n, &netOut);
    stepped.resize(sources * n);
    EXPECT_TRUE(sameBits(stepped, fused) && sameBits(steppedChange, fusedChange) &&
                sameBits(plainNet, fusedNet))
        << sources << "x" << n << (uniform ? " one rate" : " rates");
    all.insert(all.end(), fusedNet.begin(), fusedNet.end());
  }
  k::batchUpdate(w.data(), change.data(), in.rates.data(), w.size(), in.constants);
  all.insert(all.end(), w.begin(), w.end());
  all.insert(all.end(), change.begin(), change.end());
  return all;
}

TEST(KernelsTest, EveryInstructionSetGivesTheSameBits) {
  const std::vector<const char*> variants = kernels::availableVariants();
  std::mt19937_64 generator(5);
  for (const std::size_t neurons : {1u, 3u, 4u, 7u, 10u, 17u, 64u, 100u, 256u}) {
    for (const std::size_t sources : {1u, 2u, 16u, 33u}) {
      Inputs in{sources,
                neurons,
                randomValues(4 * sources, generator),
                randomValues(sources * neurons, generator, 2.0),
                randomValues(sources * neurons, generator, 0.01),
                randomValues(sources * neurons, generator, 0.3),
                randomValues(4 * neurons, generator),
                randomValues(61, generator, 40.0),
                kernels::UpdateConstants{0.4, 0.75, 0.001, -1.5, 1.5}};
      in.big.insert(in.big.end(), {0.0,    -0.0,     1e-300,    0.49,   0.51,   22.5,    -800.0,  800.0,
                                   NAN,    INFINITY, -INFINITY, 709.78, 709.79, -709.78, -709.79, 745.1,
                                   -745.1, 740.0,    -740.0,    38.6,   -38.6,  1e-17});
      in.w.resize(in.w.size() + kernels::kReadSlack, 7.0);  // the slack past a weight block
      ASSERT_TRUE(kernels::useVariant("baseline"));
      const Values base = runAll(in);
      for (const char* variant : variants) {
        ASSERT_TRUE(kernels::useVariant(variant));
        EXPECT_TRUE(sameBits(base, runAll(in))) << variant << " " << neurons << "x" << sources;
        // The layer loop gives what the scalar function gives, whole
        // vectors and the rest alike.
        Values out(in.big.size());
        for (int type = 0; type <= 5; ++type) {
          kernels::activateLayer(static_cast<ActivationType>(type), in.big.data(), out.data(), out.size());
          for (std::size_t k = 0; k < out.size(); ++k) {
            const double scalar = activate(static_cast<ActivationType>(type), in.big[k]);
            EXPECT_TRUE(sameBits(scalar, out[k]))
                << variant << " " << type << " " << in.big[k] << ": " << scalar << " and " << out[k];
          }
        }
      }
    }
  }
  kernels::useVariant(variants.front());
  EXPECT_GE(variants.size(), 1u);
}

}  // namespace
}  // namespace nodelyx

namespace nodelyx {
namespace {

// The forms the passes use give the bits of the plain kernels: sums from
// packed panels, back sums of several patterns, accumulation of up to eight
// patterns in one call (as two calls of four would leave it), the bias
// added in the activation pass and the derivative applied by vectors.
TEST(KernelsTest, PackedSumsWideAccumulationAndBiasGiveThePlainBits) {
  std::mt19937_64 generator(11);
  constexpr std::size_t kPatterns = kernels::kMaxAccumulatePatterns;
  for (const char* variant : kernels::availableVariants()) {
    ASSERT_TRUE(kernels::useVariant(variant));
    for (const std::size_t neurons : {1u, 2u, 4u, 7u, 8u, 10u, 13u, 16u, 64u, 100u}) {
      for (const std::size_t sources : {1u, 3u, 16u, 33u}) {
        const Values x = randomValues(kPatterns * sources, generator);
        Values w = randomValues(sources * neurons, generator, 2.0);
        const Values rates = randomValues(sources * neurons, generator, 0.3);
        const Values deltas = randomValues(kPatterns * neurons, generator);
        const Values start = randomValues(sources * neurons, generator);
        w.resize(w.size() + kernels::kReadSlack, 7.0);
        Values packed(kernels::packedSize(sources, neurons));
        kernels::packPanels(w.data(), sources, neurons, packed.data());
        const double* xs[kPatterns];
        const double* ds[kPatterns];
        const double factors[kPatterns] = {1.0, 0.5, 1.0, 0.25, 1.0, 1.0, 0.75, 1.0};
        for (std::size_t p = 0; p < kPatterns; ++p) {
          xs[p] = x.data() + p * sources;
          ds[p] = deltas.data() + p * neurons;
        }
        for (std::size_t patterns = 1; patterns <= kernels::kMaxPatterns; ++patterns) {
          std::vector<Values> plain(patterns, Values(neurons)), fromPanels(patterns, Values(neurons));
          double* plainNet[kernels::kMaxPatterns];
          double* panelNet[kernels::kMaxPatterns];
          for (std::size_t p = 0; p < patterns; ++p) {
            plainNet[p] = plain[p].data();
            panelNet[p] = fromPanels[p].data();
          }
          kernels::weightedSums(patterns, xs, sources, w.data(), neurons, plainNet);
          kernels::weightedSumsPacked(patterns, xs, sources, packed.data(), neurons, panelNet);
          for (std::size_t p = 0; p < patterns; ++p)
            EXPECT_TRUE(sameBits(plain[p], fromPanels[p])) << variant << " " << sources << "x" << neurons;
        }
        for (std::size_t patterns = 1; patterns <= kernels::kMaxPatterns; ++patterns) {
          Values transposed(neurons * sources);
          for (std::size_t j = 0; j < sources; ++j)
            for (std::size_t m = 0; m < neurons; ++m) transposed[m * sources + j] = w[j * neurons + m];
          std::vector<Values> together(patterns, Values(sources));
          double* sums[kernels::kMaxPatterns];
          for (std::size_t p = 0; p < patterns; ++p) sums[p] = together[p].data();
          kernels::backSumsTransposedPatterns(patterns, transposed.data(), sources, neurons, ds, sums);
          for (std::size_t p = 0; p < patterns; ++p) {
            Values alone(sources);
            kernels::backSums(w.data(), sources, neurons, ds[p], alone.data());
            EXPECT_TRUE(sameBits(alone, together[p]))
                << variant << " back sums " << sources << "x" << neurons;
          }
        }
        for (std::size_t patterns = 5; patterns <= kPatterns; ++patterns) {
          Values together = start, inTwo = start;
          kernels::accumulateLayer(patterns, together.data(), rates.data(), xs, sources, ds, factors,
                                   neurons);
          kernels::accumulateLayer(4, inTwo.data(), rates.data(), xs, sources, ds, factors, neurons);
          kernels::accumulateLayer(patterns - 4, inTwo.data(), rates.data(), xs + 4, sources, ds + 4,
                                   factors + 4, neurons);
          EXPECT_TRUE(sameBits(together, inTwo)) << variant << " " << patterns << " patterns";
        }
        // One rate for every parameter, read from an array or given once.
        const double rate = rates.front();
        const Values sameRates(rates.size(), rate);
        const double ones[kPatterns] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
        const double firstScaled[kPatterns] = {0.5, 1.0, 0.25, 1.0, 1.0, 0.75, 1.0, 1.0};
        for (std::size_t patterns = 1; patterns <= kPatterns; ++patterns) {
          for (const double* patternFactors : {firstScaled, ones}) {
            Values fromArray = start, fromOne = start;
            kernels::accumulateLayer(patterns, fromArray.data(), sameRates.data(), xs, sources, ds,
                                     patternFactors, neurons);
            kernels::accumulateLayer(patterns, fromOne.data(), nullptr, xs, sources, ds, patternFactors,
                                     neurons, rate);
            EXPECT_TRUE(sameBits(fromArray, fromOne)) << variant << " uniform rate, " << patterns;
          }
        }
        // So does the online step, narrow layers' own loop included; the
        // limits cut some of the weights.
        for (const double factor : {1.0, 0.75}) {
          const kernels::UpdateConstants constants{0.4, factor, 0.001, -1.5, 1.5, rate};
          Values fromArray(w.begin(), w.begin() + static_cast<std::ptrdiff_t>(sources * neurons));
          Values fromOne = fromArray, arrayChanges = start, oneChanges = start;
          kernels::onlineUpdateLayer(fromArray.data(), arrayChanges.data(), sameRates.data(), x.data(), sources,
                                     deltas.data(), neurons, constants);
          kernels::onlineUpdateLayer(fromOne.data(), oneChanges.data(), nullptr, x.data(), sources, deltas.data(),
                                     neurons, constants);
          EXPECT_TRUE(sameBits(fromArray, fromOne) && sameBits(arrayChanges, oneChanges))
              << variant << " online step " << sources << "x" << neurons << " factor " << factor;
        }
      }
    }
    const Values bias = randomValues(61, generator, 3.0);
    const Values net = randomValues(61, generator, 30.0);
    for (int type = 0; type <= 5; ++type) {
      const auto activation = static_cast<ActivationType>(type);
      Values expectedNet(net.size()), expectedOut(net.size()), fusedNet = net, fusedOut(net.size());
      for (std::size_t j = 0; j < net.size(); ++j) expectedNet[j] = bias[j] + net[j];
      kernels::activateLayer(activation, expectedNet.data(), expectedOut.data(), net.size());
      kernels::addBiasAndActivate(activation, bias.data(), fusedNet.data(), fusedOut.data(), net.size());
      EXPECT_TRUE(sameBits(expectedNet, fusedNet)) << variant << " type " << type;
      EXPECT_TRUE(sameBits(expectedOut, fusedOut)) << variant << " type " << type;
      Values slopes = net, expectedSlopes(net.size());
      for (std::size_t j = 0; j < net.size(); ++j)
        expectedSlopes[j] = derivativeTerm(activation, fusedOut[j]) * net[j];
      kernels::multiplyByDerivative(activation, fusedOut.data(), slopes.data(), slopes.data(), net.size());
      EXPECT_TRUE(sameBits(expectedSlopes, slopes)) << variant << " derivative of type " << type;
    }
  }
  kernels::useVariant(kernels::availableVariants().front());
}

}  // namespace
}  // namespace nodelyx
