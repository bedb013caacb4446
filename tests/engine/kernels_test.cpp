// Every instruction-set variant of the kernels gives the same bits: each is
// built here on its own (baseline, AVX2, AVX-512) and run on the same data.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#define NODELYX_KERNELS_NAMESPACE kernels_baseline
#define NODELYX_KERNEL_TARGET
#include "engine/kernels_impl.inc"
#undef NODELYX_KERNELS_NAMESPACE
#undef NODELYX_KERNEL_TARGET

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define NODELYX_KERNELS_NAMESPACE kernels_avx2
#define NODELYX_KERNEL_TARGET __attribute__((target("avx2")))
#include "engine/kernels_impl.inc"
#undef NODELYX_KERNELS_NAMESPACE
#undef NODELYX_KERNEL_TARGET

#define NODELYX_KERNELS_NAMESPACE kernels_avx512
#define NODELYX_KERNEL_TARGET __attribute__((target("avx512f")))
#include "engine/kernels_impl.inc"
#undef NODELYX_KERNELS_NAMESPACE
#undef NODELYX_KERNEL_TARGET
#define NODELYX_HAVE_VARIANTS 1
#endif

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
  if (a.size() != b.size()) return ::testing::AssertionFailure() << "sizes " << a.size() << " and " << b.size();
  for (std::size_t k = 0; k < a.size(); ++k)
    if (!sameBits(a[k], b[k]))
      return ::testing::AssertionFailure() << "value " << k << ": " << a[k] << " and " << b[k];
  return ::testing::AssertionSuccess();
}

// One variant's kernels.
struct KernelSet {
  decltype(&kernels_baseline::weightedSums) weightedSums;
  decltype(&kernels_baseline::backSums) backSums;
  decltype(&kernels_baseline::activateLayer) activateLayer;
  decltype(&kernels_baseline::onlineUpdateLayer) onlineUpdateLayer;
  decltype(&kernels_baseline::accumulateLayer) accumulateLayer;
  decltype(&kernels_baseline::batchUpdate) batchUpdate;
};
#define NODELYX_KERNEL_SET(ns) \
  KernelSet { ns::weightedSums, ns::backSums, ns::activateLayer, ns::onlineUpdateLayer, ns::accumulateLayer, ns::batchUpdate }

struct Inputs {
  std::size_t sources, neurons;
  Values x, w, change, rates, deltas, big;
  kernels::UpdateConstants constants;
};

// Every result of every kernel of one variant, one after the other.
Values runAll(const KernelSet& k, const Inputs& in) {
  const std::size_t n = in.neurons;
  Values all, part(std::max(in.neurons, in.sources));
  k.weightedSums(in.x.data(), in.sources, in.w.data(), n, part.data());
  all.insert(all.end(), part.begin(), part.begin() + static_cast<std::ptrdiff_t>(n));
  k.backSums(in.w.data(), in.sources, n, in.deltas.data(), part.data());
  all.insert(all.end(), part.begin(), part.begin() + static_cast<std::ptrdiff_t>(in.sources));
  for (int type = 0; type <= 5; ++type) {
    Values out(in.big.size());
    k.activateLayer(static_cast<ActivationType>(type), in.big.data(), out.data(), in.big.size());
    all.insert(all.end(), out.begin(), out.end());
  }
  Values w = in.w, change = in.change, accumulated = in.change;
  k.onlineUpdateLayer(w.data(), change.data(), in.rates.data(), in.x.data(), in.sources, in.deltas.data(), n,
                      in.constants);
  k.accumulateLayer(accumulated.data(), in.rates.data(), in.x.data(), in.sources, in.deltas.data(), n, 0.5);
  all.insert(all.end(), w.begin(), w.end());
  all.insert(all.end(), change.begin(), change.end());
  all.insert(all.end(), accumulated.begin(), accumulated.end());
  w = in.w;
  change = in.change;
  k.batchUpdate(w.data(), change.data(), accumulated.data(), w.size(), in.constants);
  all.insert(all.end(), w.begin(), w.end());
  all.insert(all.end(), change.begin(), change.end());
  return all;
}

TEST(KernelsTest, EveryInstructionSetGivesTheSameBits) {
#ifndef NODELYX_HAVE_VARIANTS
  GTEST_SKIP() << "only x86-64 has more than one variant";
#else
  std::mt19937_64 generator(5);
  for (const std::size_t neurons : {1u, 3u, 4u, 7u, 10u, 17u, 64u, 256u}) {
    for (const std::size_t sources : {1u, 2u, 16u, 33u}) {
      Inputs in{sources, neurons, randomValues(sources, generator), randomValues(sources * neurons, generator, 2.0),
                randomValues(sources * neurons, generator, 0.01), randomValues(sources * neurons, generator, 0.3),
                randomValues(neurons, generator), randomValues(61, generator, 40.0),
                kernels::UpdateConstants{0.4, 0.75, 0.001, -1.5, 1.5}};
      in.big.insert(in.big.end(), {0.0, -0.0, 1e-300, 0.49, 0.51, 22.5, -800.0, 800.0, NAN, INFINITY, -INFINITY});
      const Values base = runAll(NODELYX_KERNEL_SET(kernels_baseline), in);
      if (__builtin_cpu_supports("avx2")) {
        EXPECT_TRUE(sameBits(base, runAll(NODELYX_KERNEL_SET(kernels_avx2), in))) << neurons << "x" << sources;
      }
      if (__builtin_cpu_supports("avx512f")) {
        EXPECT_TRUE(sameBits(base, runAll(NODELYX_KERNEL_SET(kernels_avx512), in))) << neurons << "x" << sources;
      }
      // The layer loop gives what the scalar function gives.
      Values out(in.big.size());
      for (int type = 0; type <= 5; ++type) {
        kernels_baseline::activateLayer(static_cast<ActivationType>(type), in.big.data(), out.data(), out.size());
        for (std::size_t k = 0; k < out.size(); ++k) {
          const double scalar = activate(static_cast<ActivationType>(type), in.big[k]);
          EXPECT_TRUE(sameBits(scalar, out[k]))
              << type << " " << in.big[k] << ": " << scalar << " and " << out[k];
        }
      }
    }
  }
#endif
}

}  // namespace
}  // namespace nodelyx
