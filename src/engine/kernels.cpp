#include "engine/kernels.h"

#if defined(__x86_64__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__)
#define NODELYX_VECTOR_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define NODELYX_VECTOR_CLONES
#endif

namespace nodelyx::kernels {
namespace {

// The decay, the limits (upper first, so that with min > max every value
// ends at min) and the change actually applied.
inline double finishUpdate(double w, double old, double& change, const UpdateConstants& k) {
  w = w - w * k.weightDecay;
  w = w > k.maxWeight ? k.maxWeight : w;
  w = w < k.minWeight ? k.minWeight : w;
  change = w - old;
  return w;
}

}  // namespace

NODELYX_VECTOR_CLONES
void weightedSums(const double* __restrict x, std::size_t sources, const double* __restrict w,
                  std::size_t neurons, double* __restrict net) {
  for (std::size_t j = 0; j < neurons; ++j) net[j] = 0.0;
  for (std::size_t i = 0; i < sources; ++i) {
    const double xi = x[i];
    const double* row = w + i * neurons;
    for (std::size_t j = 0; j < neurons; ++j) net[j] += xi * row[j];
  }
}

NODELYX_VECTOR_CLONES
void backSums(const double* next, std::size_t neurons, std::size_t nextNeurons, const double* nextDeltas,
              double* sums) {
  for (std::size_t j = 0; j < neurons; ++j) {
    const double* row = next + j * nextNeurons;
    double sum = 0.0;
    for (std::size_t k = 0; k < nextNeurons; ++k) sum += row[k] * nextDeltas[k];
    sums[j] = sum;
  }
}

NODELYX_VECTOR_CLONES
void onlineUpdateRow(double* __restrict w, double* __restrict c, const double* __restrict r, double x,
                     const double* __restrict deltas, std::size_t n, const UpdateConstants& k) {
  const double momentum = k.momentum;
  const double rateFactor = k.rateFactor;
  for (std::size_t j = 0; j < n; ++j) {
    const double old = w[j];
    const double stepped = c[j] * momentum + r[j] * x * deltas[j] * rateFactor + old;
    w[j] = finishUpdate(stepped, old, c[j], k);
  }
}

NODELYX_VECTOR_CLONES
void accumulateRow(double* __restrict b, const double* __restrict r, double x, const double* __restrict deltas,
                   std::size_t n, double rateFactor) {
  for (std::size_t j = 0; j < n; ++j) b[j] += r[j] * x * deltas[j] * rateFactor;
}

NODELYX_VECTOR_CLONES
void batchUpdateRow(double* __restrict w, double* __restrict c, const double* __restrict b, std::size_t n,
                    const UpdateConstants& k) {
  const double momentum = k.momentum;
  for (std::size_t j = 0; j < n; ++j) {
    const double old = w[j];
    const double stepped = c[j] * momentum + b[j] + old;
    w[j] = finishUpdate(stepped, old, c[j], k);
  }
}

}  // namespace nodelyx::kernels
