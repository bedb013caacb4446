// The engine's inner loops over one layer's weights, stored source-major
// (see layer_blocks.h): the row of source i holds its weights towards every
// neuron of the layer. Each loop runs across neurons, weights or patterns,
// never across a sum, so every variant gives the same bits; on x86-64 the
// kernels exist for AVX-512, AVX2 and the baseline, chosen once at run time.
//
// Several patterns (up to kMaxPatterns) can go through one call when the
// weights do not change between them (batch passes, evaluation): each
// weight is then read once for all of them.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "engine/activation.h"

namespace nodelyx::kernels {

inline constexpr std::size_t kMaxPatterns = 4;
// accumulateLayer takes up to twice as many: its sums live in memory, and
// each pattern more per call saves a pass over them.
inline constexpr std::size_t kMaxAccumulatePatterns = 8;

// Doubles a weight block must stay readable past its end: the sums read
// whole vectors, and the last one of a layer may reach past it.
inline constexpr std::size_t kReadSlack = 8;

// For each pattern p: net[p][j] = sum over i ascending of x[p][i] * w[i][j],
// each sum starting at 0. w needs kReadSlack readable doubles past its end.
void weightedSums(std::size_t patterns, const double* const* x, std::size_t sources, const double* w,
                  std::size_t neurons, double* const* net);

// A layer's weights packed in panels for weightedSumsPacked: for each run of
// kPanelWidth neurons, the rows of every source in turn (source i's weights
// towards those neurons, then source i+1's), the last panel padded with
// zeros. A block of neurons then reads adjacent memory over all its
// sources, where the source-major rows are a layer's width apart.
inline constexpr std::size_t kPanelWidth = 8;
inline constexpr std::size_t packedSize(std::size_t sources, std::size_t neurons) {
  return sources * ((neurons + kPanelWidth - 1) / kPanelWidth * kPanelWidth);
}
void packPanels(const double* w, std::size_t sources, std::size_t neurons, double* packed);

// weightedSums from packed weights: the same sums, the same bits.
void weightedSumsPacked(std::size_t patterns, const double* const* x, std::size_t sources,
                        const double* packed, std::size_t neurons, double* const* net);

// sums[j] = sum over k ascending of next[j][k] * nextDeltas[k]: the error
// flowing back into neuron j of a layer from the nextNeurons of the layer
// after it (next is that layer's source-major weight block).
void backSums(const double* next, std::size_t neurons, std::size_t nextNeurons, const double* nextDeltas,
              double* sums);

// The same sums from the next layer's weights stored neuron-major (row k of
// nextT holds the weights from every neuron j of this layer into neuron k),
// as a batch pass keeps them: a vector of neurons at a time, each sum still
// over k ascending from 0.
void backSumsTransposed(const double* nextT, std::size_t neurons, std::size_t nextNeurons,
                        const double* nextDeltas, double* sums);

// backSumsTransposed for up to kMaxPatterns patterns at once (each weight
// read once for all of them): sums[p] from nextDeltas[p].
void backSumsTransposedPatterns(std::size_t patterns, const double* nextT, std::size_t neurons,
                                std::size_t nextNeurons, const double* const* nextDeltas,
                                double* const* sums);

// result[j] = derivativeTerm(type, out[j]) * factor[j]: a layer's deltas
// from its outputs and the error reaching it (factor and result may be the
// same array).
void multiplyByDerivative(ActivationType type, const double* out, const double* factor, double* result,
                          std::size_t neurons);

// out[j] = f(net[j]) for a layer of the given activation type (net and out
// may be the same array).
void activateLayer(ActivationType type, const double* net, double* out, std::size_t neurons);

// net[j] = bias[j] + net[j] and out[j] = f(net[j]) in one pass (net and
// out may be the same array; out then holds f).
void addBiasAndActivate(ActivationType type, const double* bias, double* net, double* out,
                        std::size_t neurons);

struct UpdateConstants {
  double momentum;
  double rateFactor;
  double weightDecay;
  double minWeight;
  double maxWeight;
  double uniformRate = 0.0;  // the rate of every parameter, for r == nullptr
};

// Online back-propagation step of a layer's parameters: for every source i
// and neuron j, w = c*momentum + r*x[i]*delta[j]*rateFactor + w, then the
// decay, the upper and the lower limit, and c = the change applied. Biases
// are a layer of one source whose x is 1. With r null every rate is
// k.uniformRate (one memory stream fewer, the same bits).
void onlineUpdateLayer(double* w, double* c, const double* r, const double* x, std::size_t sources,
                       const double* deltas, std::size_t neurons, const UpdateConstants& k);

// onlineUpdateLayer, and in the same pass the next pattern's sums from the
// updated weights (netNext[j] = sum over i ascending of xNext[i] * w[i][j],
// from 0: the bits of weightedSums), so that the weights are read once for
// both.
void onlineUpdateLayerWithSums(double* w, double* c, const double* r, const double* x, std::size_t sources,
                               const double* deltas, std::size_t neurons, const UpdateConstants& k,
                               const double* xNext, double* netNext);

// Batch accumulation of a layer over up to kMaxAccumulatePatterns patterns
// in order: b += r*x[p][i]*deltas[p][j]*rateFactors[p] for p = 0, 1, ...
// With r null every rate is uniformRate: no rates are read, and r*x[p][i]
// is computed once for all the neurons (the same bits).
void accumulateLayer(std::size_t patterns, double* b, const double* r, const double* const* x,
                     std::size_t sources, const double* const* deltas, const double* rateFactors,
                     std::size_t neurons, double uniformRate = 0.0);

// Batch step of n parameters: w = c*momentum + b + w, then decay, limits, c.
void batchUpdate(double* w, double* c, const double* b, std::size_t n, const UpdateConstants& k);

// The name of the variant in use ("avx512", "avx2" or "baseline"): the best
// the processor runs, unless useVariant chose another.
const char* variantName();

// The variants this processor can run, best first, and a way to switch
// between them (tests and benchmarks compare them). Call useVariant only
// while no other thread uses the kernels.
std::vector<const char*> availableVariants();
bool useVariant(std::string_view name);

}  // namespace nodelyx::kernels
