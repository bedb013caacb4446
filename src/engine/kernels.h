// The engine's inner loops over one layer's weights, stored source-major
// (see layer_blocks.h): the row of source i holds its weights towards every
// neuron of the layer. Each loop runs across neurons or weights, never
// across a sum, so vector code gives the same bits as scalar code; on x86-64
// each is compiled for AVX-512, AVX2 and the baseline, chosen at run time.
#pragma once

#include <cstddef>

#include "engine/activation.h"

namespace nodelyx::kernels {

// net[j] = sum over i ascending of x[i] * w[i][j], each sum starting at 0.
void weightedSums(const double* x, std::size_t sources, const double* w, std::size_t neurons, double* net);

// sums[j] = sum over k ascending of next[j][k] * nextDeltas[k]: the error
// flowing back into neuron j of a layer from the nextNeurons of the layer
// after it (next is that layer's source-major weight block).
void backSums(const double* next, std::size_t neurons, std::size_t nextNeurons, const double* nextDeltas,
              double* sums);

// out[j] = f(net[j]) for a layer of the given activation type (net and out
// may be the same array).
void activateLayer(ActivationType type, const double* net, double* out, std::size_t neurons);

struct UpdateConstants {
  double momentum;
  double rateFactor;
  double weightDecay;
  double minWeight;
  double maxWeight;
};

// Online back-propagation step of a layer's parameters: for every source i
// and neuron j, w = c*momentum + r*x[i]*delta[j]*rateFactor + w, then the
// decay, the upper and the lower limit, and c = the change applied. Biases
// are a layer of one source whose x is 1.
void onlineUpdateLayer(double* w, double* c, const double* r, const double* x, std::size_t sources,
                       const double* deltas, std::size_t neurons, const UpdateConstants& k);

// Batch accumulation of a layer: b += r*x[i]*delta[j]*rateFactor.
void accumulateLayer(double* b, const double* r, const double* x, std::size_t sources, const double* deltas,
                     std::size_t neurons, double rateFactor);

// Batch step of n parameters: w = c*momentum + b + w, then decay, limits, c.
void batchUpdate(double* w, double* c, const double* b, std::size_t n, const UpdateConstants& k);

}  // namespace nodelyx::kernels
