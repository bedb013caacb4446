// Builds one variant of the kernels per instruction set and forwards every
// call to the best one the processor has, chosen once.
#include "engine/kernels.h"

#include <algorithm>
#include <atomic>

#define NODELYX_KERNELS_NAMESPACE kernels_baseline
#define NODELYX_KERNEL_TARGET
#define NODELYX_VECTOR_DOUBLES 2
#include "engine/kernels_impl.inc"
#undef NODELYX_KERNELS_NAMESPACE
#undef NODELYX_KERNEL_TARGET
#undef NODELYX_VECTOR_DOUBLES

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define NODELYX_HAVE_X86_VARIANTS 1
#define NODELYX_KERNELS_NAMESPACE kernels_avx2
#define NODELYX_KERNEL_TARGET __attribute__((target("avx2")))
#define NODELYX_VECTOR_DOUBLES 4
#include "engine/kernels_impl.inc"
#undef NODELYX_KERNELS_NAMESPACE
#undef NODELYX_KERNEL_TARGET
#undef NODELYX_VECTOR_DOUBLES

#define NODELYX_KERNELS_NAMESPACE kernels_avx512
#define NODELYX_KERNEL_TARGET __attribute__((target("avx512f")))
#define NODELYX_VECTOR_DOUBLES 8
#include "engine/kernels_impl.inc"
#undef NODELYX_KERNELS_NAMESPACE
#undef NODELYX_KERNEL_TARGET
#undef NODELYX_VECTOR_DOUBLES
#endif

namespace nodelyx::kernels {
namespace {

struct Table {
  const char* name;
  decltype(&kernels_baseline::weightedSums) weightedSums;
  decltype(&kernels_baseline::weightedSumsPacked) weightedSumsPacked;
  decltype(&kernels_baseline::backSums) backSums;
  decltype(&kernels_baseline::backSumsTransposed) backSumsTransposed;
  decltype(&kernels_baseline::backSumsTransposedPatterns) backSumsTransposedPatterns;
  decltype(&kernels_baseline::multiplyByDerivative) multiplyByDerivative;
  decltype(&kernels_baseline::activateLayer) activateLayer;
  decltype(&kernels_baseline::addBiasAndActivate) addBiasAndActivate;
  decltype(&kernels_baseline::onlineUpdateLayer) onlineUpdateLayer;
  decltype(&kernels_baseline::onlineUpdateLayerWithSums) onlineUpdateLayerWithSums;
  decltype(&kernels_baseline::accumulateLayer) accumulateLayer;
  decltype(&kernels_baseline::batchUpdate) batchUpdate;
};

#define NODELYX_TABLE(name, ns)                                                                              \
  Table {                                                                                                    \
    name, ns::weightedSums, ns::weightedSumsPacked, ns::backSums, ns::backSumsTransposed,                    \
        ns::backSumsTransposedPatterns, ns::multiplyByDerivative, ns::activateLayer, ns::addBiasAndActivate, \
        ns::onlineUpdateLayer, ns::onlineUpdateLayerWithSums, ns::accumulateLayer, ns::batchUpdate           \
  }

std::vector<Table> supportedTables() {
  std::vector<Table> tables;
#ifdef NODELYX_HAVE_X86_VARIANTS
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f")) tables.push_back(NODELYX_TABLE("avx512", kernels_avx512));
  if (__builtin_cpu_supports("avx2")) tables.push_back(NODELYX_TABLE("avx2", kernels_avx2));
#endif
  tables.push_back(NODELYX_TABLE("baseline", kernels_baseline));
  return tables;
}

const std::vector<Table>& tables() {
  static const std::vector<Table> supported = supportedTables();
  return supported;
}

// The table in use: the best the processor supports until useVariant()
// picks another. Atomic, because the first kernel calls of the training
// thread and of a reader may come at the same time; a relaxed load costs
// nothing beside a kernel call.
std::atomic<const Table*> current{nullptr};

const Table& table() {
  const Table* chosen = current.load(std::memory_order_acquire);
  if (chosen == nullptr) {
    const Table* best = &tables().front();
    // The first caller installs the best table; a concurrent useVariant() wins.
    current.compare_exchange_strong(chosen, best, std::memory_order_acq_rel);
    chosen = current.load(std::memory_order_acquire);
  }
  return *chosen;
}

}  // namespace

void weightedSums(std::size_t patterns, const double* const* x, std::size_t sources, const double* w,
                  std::size_t neurons, double* const* net) {
  table().weightedSums(patterns, x, sources, w, neurons, net);
}

void packPanels(const double* w, std::size_t sources, std::size_t neurons, double* packed) {
  for (std::size_t first = 0; first < neurons; first += kPanelWidth) {
    const std::size_t width = std::min(kPanelWidth, neurons - first);
    for (std::size_t i = 0; i < sources; ++i) {
      const double* row = w + i * neurons + first;
      std::copy(row, row + width, packed);
      std::fill(packed + width, packed + kPanelWidth, 0.0);
      packed += kPanelWidth;
    }
  }
}

void weightedSumsPacked(std::size_t patterns, const double* const* x, std::size_t sources,
                        const double* packed, std::size_t neurons, double* const* net) {
  table().weightedSumsPacked(patterns, x, sources, packed, neurons, net);
}

void backSums(const double* next, std::size_t neurons, std::size_t nextNeurons, const double* nextDeltas,
              double* sums) {
  table().backSums(next, neurons, nextNeurons, nextDeltas, sums);
}

void backSumsTransposed(const double* nextT, std::size_t neurons, std::size_t nextNeurons,
                        const double* nextDeltas, double* sums) {
  table().backSumsTransposed(nextT, neurons, nextNeurons, nextDeltas, sums);
}

void backSumsTransposedPatterns(std::size_t patterns, const double* nextT, std::size_t neurons,
                                std::size_t nextNeurons, const double* const* nextDeltas,
                                double* const* sums) {
  table().backSumsTransposedPatterns(patterns, nextT, neurons, nextNeurons, nextDeltas, sums);
}

void multiplyByDerivative(ActivationType type, const double* out, const double* factor, double* result,
                          std::size_t neurons) {
  table().multiplyByDerivative(type, out, factor, result, neurons);
}

void activateLayer(ActivationType type, const double* net, double* out, std::size_t neurons) {
  table().activateLayer(type, net, out, neurons);
}

void addBiasAndActivate(ActivationType type, const double* bias, double* net, double* out,
                        std::size_t neurons) {
  table().addBiasAndActivate(type, bias, net, out, neurons);
}

void onlineUpdateLayer(double* w, double* c, const double* r, const double* x, std::size_t sources,
                       const double* deltas, std::size_t neurons, const UpdateConstants& k) {
  table().onlineUpdateLayer(w, c, r, x, sources, deltas, neurons, k);
}

void onlineUpdateLayerWithSums(double* w, double* c, const double* r, const double* x, std::size_t sources,
                               const double* deltas, std::size_t neurons, const UpdateConstants& k,
                               const double* xNext, double* netNext) {
  table().onlineUpdateLayerWithSums(w, c, r, x, sources, deltas, neurons, k, xNext, netNext);
}

void accumulateLayer(std::size_t patterns, double* b, const double* r, const double* const* x,
                     std::size_t sources, const double* const* deltas, const double* rateFactors,
                     std::size_t neurons, double uniformRate) {
  table().accumulateLayer(patterns, b, r, x, sources, deltas, rateFactors, neurons, uniformRate);
}

void batchUpdate(double* w, double* c, const double* b, std::size_t n, const UpdateConstants& k) {
  table().batchUpdate(w, c, b, n, k);
}

const char* variantName() { return table().name; }

std::vector<const char*> availableVariants() {
  std::vector<const char*> names;
  for (const Table& t : tables()) names.push_back(t.name);
  return names;
}

bool useVariant(std::string_view name) {
  for (const Table& t : tables()) {
    if (name == t.name) {
      current.store(&t, std::memory_order_release);
      return true;
    }
  }
  return false;
}

}  // namespace nodelyx::kernels
