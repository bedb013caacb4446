// The feed-forward network: an input layer, 0 to 5 hidden layers and an
// output layer, fully connected, with every work array the training methods
// need, the scaling ranges and the statistics of the last evaluated set.
// One thread at a time uses a Network (the GUI while idle, the training
// thread while a run is active). Arrays are allocated once, at construction.
//
// Indexing follows the model's notation: per-weight values [l][j][i]
// (l = 1..L-1, neuron j of layer l, neuron i of layer l-1), per-neuron values
// [l][j]; see layer_blocks.h for how they map onto memory.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "engine/activation.h"
#include "engine/aligned_allocator.h"
#include "engine/column_ranges.h"
#include "engine/kernels.h"
#include "engine/layer_blocks.h"
#include "engine/pair_worker.h"
#include "engine/pattern_view.h"
#include "engine/training_settings.h"

namespace nodelyx {

// Whether networks scale their inputs and unscale their outputs through
// their ranges. Set by the scaling settings and the weights-file reader.
extern std::atomic<int> scalingEnabled;

// Bounds of one layer's "saturated" outputs.
struct SaturationBounds {
  double high;
  double low;
};

// The bounds that belong to an activation type; nullopt-like: returns false
// for codes outside 1..4 (those keep the bounds they had).
bool saturationBoundsFor(ActivationType type, SaturationBounds& bounds);

class Network {
 public:
  // layerSizes holds L = 2..7 entries, each >= 1 (callers guarantee both).
  // Weights are randomised from the calling thread's generator, seeded with
  // the time; rates are left at 0 until setLearningRate.
  Network(std::span<const int> layerSizes, double minWeight, double maxWeight);
  Network(const Network&) = delete;
  Network& operator=(const Network&) = delete;

  // Topology.
  int layerCount() const { return layout_.layerCount(); }
  int layerSize(int l) const { return layout_.size(l); }
  std::span<const int> layerSizes() const { return layerSizes_; }
  int inputCount() const { return layout_.size(0); }
  int outputCount() const { return layout_.size(layerCount() - 1); }
  std::size_t weightCount() const { return layout_.weightCount(); }
  // Weights plus biases: the connections one pattern passes through.
  std::size_t connectionCount() const;

  // Setters.
  // layerIndex 0..5 addresses that layer; 6 always means the output layer.
  void setLayerType(int layerIndex, ActivationType type);
  void setWeightLimits(double min, double max);
  void setMomentum(double value) { momentum = value; }
  void setWeightDecay(double value) { weightDecay = value; }
  void setInputNoise(double value) { inputNoise = value; }
  void setLearningRate(double eta);

  // Scaling ranges.
  void mergeDataRanges(const ColumnRanges& record);
  void widenRecordRanges(ColumnRanges& record) const;

  // Pattern operations. An input row holds inputCount() values, a target
  // row outputCount().
  void forward(const double* input, double noiseSigma);
  void computeOutputError(const double* target);
  // Statistics of a set in data units; a pattern whose RMS error is at most
  // errorMargin counts as correct. Returns the RMS error (0 for count 0, in
  // which case rmsError keeps its value). A NaN error wins maxError and
  // maxPatternRms, so a diverged network never looks like one whose errors
  // are small.
  // The set must have targets.
  double evaluate(const PatternView& set, double errorMargin);
  // The network's response in data units. Writes only recall's own buffers
  // (recallOutputs and its scale factors), nothing a training pass uses;
  // one thread at a time may recall.
  void recall(const double* input, double* result);

  // Copies what evaluating and drawing the network need from a network of
  // the same topology: weights, biases, rates, layer types with their
  // saturation bounds, scaling ranges and weight limits. Allocates nothing.
  void copyParametersFrom(const Network& source);

  // Weight initialisation and conditioning.
  void randomizeWeights();  // seeds the calling thread's generator from the time
  void randomizeWeights(std::uint32_t seed);
  void perturbWeights(int percent);  // seeds from the time
  void perturbWeights(int percent, std::uint32_t seed);
  // Saturation prevention over a set: counts saturated outputs per neuron,
  // then shrinks the incoming weights and bias of every hidden neuron that
  // was saturated for at least thresholdPercent % of the patterns.
  void reduceSaturatedNeurons(const PatternView& set, int thresholdPercent);

  // Training (one epoch over a set with targets; work arrays are allocated
  // the first time an epoch needs them).
  // Selects the method, hands it its parameters (RPROP also resets every
  // rate to its initial step) and clears the slope, change and average
  // memories; weights and other rates stay.
  void setTrainingMethod(TrainingMethod code, const AdaptiveSettings& settings);
  // One epoch; returns the RMS error of the set afterwards and leaves that
  // evaluation's statistics in the network. With settings.anotherEpochLikely,
  // an online epoch may also train the next one ahead (kept aside, and
  // used by the next call only if nothing it depends on has changed).
  double trainEpoch(const PatternView& set, const EpochSettings& settings);
  void computeDeltas();
  void clearBatchChanges();
  void applyBatchUpdate();

  // The adaptive methods.
  void setRpropParams(double increase, double decrease, double maxStep, double minStep, double initialStep);
  void setQuickpropMu(double mu) { quickpropMu = mu; }
  void setDbdParams(double increase, double decrease, double average);
  void rpropUpdate();
  void quickpropUpdate();
  void dbdAdjustRates();

  // Read-only views for the network view.
  const WeightBlock<double>& getWeights() const { return weights; }
  const NeuronBlock<double>& getBiases() const { return biases; }
  const WeightBlock<double>& getWeightRates() const { return weightRates; }
  const NeuronBlock<double>& getBiasRates() const { return biasRates; }

  // Per-weight and per-neuron state (per-neuron blocks cover every layer;
  // those without a meaning for the input layer leave its slots unused).
  WeightBlock<double> weights;
  NeuronBlock<double> biases;
  WeightBlock<double> prevWeightChange;
  NeuronBlock<double> prevBiasChange;
  WeightBlock<double> batchWeightChange;
  NeuronBlock<double> batchBiasChange;
  WeightBlock<double> prevWeightSlope;
  NeuronBlock<double> prevBiasSlope;
  NeuronBlock<double> netInputs;
  NeuronBlock<double> outputs;
  NeuronBlock<double> recallOutputs;
  NeuronBlock<std::int32_t> saturationCounts;
  NeuronBlock<double> deltas;
  std::vector<double> outputError;
  std::vector<double> outputErrorData;
  std::vector<double> fromMin, fromMax, toMin, toMax;
  std::vector<ActivationType> layerTypes;
  std::vector<double> saturationHigh;
  std::vector<double> saturationLow;
  WeightBlock<double> weightRates;
  NeuronBlock<double> biasRates;
  double momentum = 0.0;
  WeightBlock<double> weightBars;
  NeuronBlock<double> biasBars;
  double rpropIncrease = 0.0, rpropDecrease = 0.0, rpropMaxStep = 0.0, rpropMinStep = 0.0;
  double quickpropMu = 0.0;
  double dbdIncrease = 0.0, dbdDecrease = 0.0, dbdAverage = 0.0;
  TrainingMethod method = TrainingMethod::OnlineBackprop;
  double minWeight = 0.0;
  double maxWeight = 0.0;
  std::int32_t rangesSet = 0;
  double rateFactor = 1.0;
  double inputNoise = 0.0;
  double weightDecay = 0.0;
  double maxError = 0.0;
  double maxPatternRms = 0.0;
  double rmsError = 0.0;
  std::uint32_t correctCount = 0;

 private:
  // One pattern's working values: the network's own arrays (used by the
  // single-pattern operations above) or a slot of the pattern-block scratch,
  // where passes that do not change the weights take several patterns at
  // once. Per-neuron arrays are laid out like the NeuronBlocks.
  struct Slot {
    double* outputs;
    double* net;
    double* deltas;
    double* error;
    double* errorData;
  };
  static constexpr int kPatternBlock = static_cast<int>(kernels::kMaxAccumulatePatterns);
  Slot ownSlot();
  Slot blockSlot(int k);
  Slot scratchSlot(std::span<double> scratch, int k) const;
  std::size_t slotSize() const;
  // The scaling a pass applies: the switch and, per column, the factors of
  // the mapping and their products with the range ends. Every public
  // operation refreshes them once, so that a pass over many patterns does
  // not divide again for each; the arithmetic per pattern is unchanged.
  // Training and evaluation use scale_, recall its own recallScale_.
  struct ScaleCache {
    bool enabled = false;
    std::vector<double> inFactor, inFactorFromMin;                             // per input
    std::vector<double> outFactor, outFactorFromMin, unFactor, unFactorToMin;  // per output
  };
  // Forward pass of up to kPatternBlock patterns, noise drawn in pattern
  // order; slots[k] receives inputs[k].
  // packedWeights: the sums read packed_ (see packWeights).
  void forwardSlots(const Slot* slots, const double* const* inputs, int count, double noiseSigma,
                    const ScaleCache& scale, bool packedWeights = false) const;
  void outputErrorInto(const Slot& slot, const double* target) const;
  // The deltas of one pattern from the weights themselves, and of a block
  // of patterns from transposed_ (kept by batch passes, whose weights do not
  // change).
  void deltasInto(const Slot& slot) const;
  void blockDeltas(const Slot* const* slots, int count) const;
  void outputDeltas(const Slot& slot) const;
  void hiddenDeltas(const Slot& slot, int l) const;
  void transposeForBackSums();
  // Packs every layer's weights into packed_, for a pass whose weights stay
  // as they are.
  void packWeights();
  // Leaves a block's last pattern in the network's own arrays, as if the
  // patterns had gone through one at a time.
  void keepLastPattern(const Slot& slot, bool withDeltas);
  double patternRms(const double* errorData) const;
  // Pattern clipping: sets rateFactor for the pattern in the slot; false
  // when the pattern is skipped.
  bool clipRateFactor(const Slot& slot, const EpochSettings& settings);
  void accumulateSlots(const Slot* const* slots, const double* factors, int count);

  void trainOnlinePass(const PatternView& set, const EpochSettings& settings, bool randomOrder);
  void onlineStep(const Slot& now, const Slot* next, const double* nextInput);
  kernels::UpdateConstants stepConstants() const;
  void stepLayer(const Slot& now, const Slot* next, int l, std::size_t first, std::size_t count,
                 const kernels::UpdateConstants& constants, double* sums = nullptr);
  static bool fusesSums(std::size_t sources, std::size_t neurons);
  // Sharing the first layer with the pair worker (see shared_layer.cpp).
  bool readyPairWorker();
  bool firstLayerShareable(bool uniformRates) const;
  bool shareFirstLayer();  // false: the pass runs alone
  void releaseFirstLayer();
  void copyPanels(bool intoPanels);
  void sharedStep(const Slot& now, const Slot& next, const double* nextInput);
  void forwardShared(const Slot& slot, const double* input);
  void forwardLayer(const Slot& slot, int l, const double* layerWeights);
  void trainBatchPass(const PatternView& set, const EpochSettings& settings);
  // A block's trained patterns with their rate factors, for the accumulation.
  struct HandedBlock {
    const Slot* trained[kPatternBlock] = {};
    double factors[kPatternBlock] = {};
    int count = 0;
  };
  bool prepareBlock(const Slot* slots, int block, const EpochSettings& settings, bool lastOfPass,
                    HandedBlock& handed);
  // The blocks of a batch pass: nextSlots() for the next block, then add() for
  // its deltas and accumulation (on the pair worker, when the network is
  // large enough, while this thread fills the other set of slots); true
  // when the block's last pattern was trained. Every accumulation has
  // finished when it is destroyed. See block_accumulation.cpp.
  class BlockAccumulation {
   public:
    BlockAccumulation(Network& net, std::uint32_t patterns);
    ~BlockAccumulation();
    BlockAccumulation(const BlockAccumulation&) = delete;
    BlockAccumulation& operator=(const BlockAccumulation&) = delete;
    const Slot* nextSlots() const { return sets_[current_]; }
    bool add(int block, const EpochSettings& settings, bool lastOfPass);

   private:
    struct Task {
      Network* net = nullptr;
      const HandedBlock* block = nullptr;
      void operator()() const { net->accumulateSlots(block->trained, block->factors, block->count); }
    };
    Network& net_;
    bool handOver_ = false;
    bool pending_ = false;
    int current_ = 0;
    Slot sets_[2][kPatternBlock] = {};
    HandedBlock handed_[2];
    Task task_;
  };
  double evaluatePass(const PatternView& set, double errorMargin, const EpochSettings* ahead);
  // A set's statistics as they gather, pattern by pattern.
  struct Tally {
    double maxError = 0.0;
    double maxPatternRms = 0.0;
    std::uint32_t correct = 0;
  };
  Slot evaluateRun(const PatternView& set, std::uint32_t first, std::uint32_t end, double errorMargin,
                   const Slot* slots, Tally& tally, double* total, double* rms) const;
  Slot evaluateShared(const PatternView& set, double errorMargin, const Slot* slots, Tally& tally,
                      double& total);
  std::optional<double> uniformRate() const;
  void scaleInputs(const ScaleCache& scale, const double* input, double noiseSigma, double* layerZero) const;
  double unscaleOutput(const ScaleCache& scale, int k, double y) const;

  void refreshScaling();
  void refreshScaling(ScaleCache& scale) const;
  void forwardOwn(const double* input, double noiseSigma);

  LayerLayout layout_;
  std::vector<int> layerSizes_;
  std::vector<double> blockScratch_;
  ScaleCache scale_;
  ScaleCache recallScale_;
  // During a training pass: the rate all parameters share, if they do.
  std::optional<double> uniformRate_;
  // The second thread, once a pass needed it (a large first layer of an
  // online pass, the statistics of a large set or while the next online
  // epoch trains, the accumulation of a batch pass), and that first layer's
  // weights and changes while it is shared: a panel per part, rows of the
  // part's columns only.
  std::unique_ptr<PairWorker> pairWorker_;
  struct SharedLayer {
    bool active = false;
    std::size_t split = 0;  // the columns of panel 0 (this thread's); panel 1 has the rest
    std::size_t first(int part) const { return part == 0 ? 0 : split; }
    std::size_t width(int part, std::size_t neurons) const { return part == 0 ? split : neurons - split; }
    std::vector<double, CacheLineAllocator<double>> weights[2], changes[2];
    std::vector<double, CacheLineAllocator<double>> sums;  // the worker's next sums
  };
  SharedLayer shared_;
  // The worker's pattern slots and pattern RMS errors in a shared evaluation,
  // and the second set of slots of a batch pass that hands its blocks over.
  std::vector<double, CacheLineAllocator<double>> workerScratch_;
  std::vector<double> workerRms_;

  // The next epoch's batch pass, done during a statistics pass (see
  // pass_ahead.cpp), with what it depended on.
  struct PassAhead {
    struct Key {
      TrainingMethod method{};
      bool scaling = false;
      std::vector<ActivationType> layerTypes;
      std::uint64_t errorMargin = 0, patternClip = 0;  // bits
      const double* base = nullptr;
      std::size_t targetOffset = 0, stride = 0;
      std::uint32_t count = 0;
      std::uint64_t digest = 0;  // of the set's values
      bool operator==(const Key&) const = default;
    };
    bool valid = false;
    Key key;
    std::vector<double> inputs;    // the parameters, rates and ranges it read
    double rateFactor = 1.0;       // as the pass left it
    std::vector<double> lastSlot;  // its last pattern's outputs, net inputs, deltas, errors
    bool lastTrained = false;
  };
  PassAhead passAhead_;

  // The next online epoch, trained while the pair worker gathered this
  // epoch's statistics on a copy of the network (see run_ahead.cpp), with
  // what it started from and what it left.
  struct RunAhead {
    bool valid = false;
    PassAhead::Key key;
    std::vector<double> inputs;  // the state it started from
    std::uint32_t randomBefore = 0, randomAfter = 0;
    std::vector<double> result;  // the state it left
    std::vector<double> epochEnd;  // this epoch's state, while the next one trains
  };
  RunAhead runAhead_;
  std::unique_ptr<Network> statisticsCopy_;
  bool workerBusy_ = false;  // the pair worker has a task of its own
  bool soloPasses_ = false;  // never starts a pair worker (the statistics copy)
  bool wantsRunAhead(const PatternView& set, const EpochSettings& settings);
  bool readyStatisticsCopy();
  template <typename F>
  void forEachOnlineInput(F f) const;
  template <typename F>
  void forEachOnlineResult(F f);
  double evaluateRunningAhead(const PatternView& set, const EpochSettings& settings,
                              std::optional<PassAhead::Key>& key);
  bool useRunAhead(const PatternView& set, const EpochSettings& settings, std::optional<PassAhead::Key>& key);
  WeightBlock<double> aheadWeightChange_;  // the sums of the pass done ahead
  NeuronBlock<double> aheadBiasChange_;
  // The weights of layers 2.. stored neuron-major, for the back sums of a
  // batch pass; laid out like the weight block.
  std::vector<double> transposed_;
  // The weights of every layer packed in panels for the forward sums of a
  // pass that does not change them; layer l from packedStart_[l].
  std::vector<double, CacheLineAllocator<double>> packed_;
  std::array<std::size_t, kMaxLayers> packedStart_{};
  bool wantsPassAhead(const EpochSettings& settings) const;
  template <typename Self, typename F>
  static void forEachPassInput(Self& self, F f);
  PassAhead::Key passKey(const PatternView& set, const EpochSettings& settings) const;
  // usePassAhead leaves in key the epoch's key of the set and settings;
  // evaluateAhead uses it, or computes it when the epoch did not.
  double evaluateAhead(const PatternView& set, const EpochSettings& settings,
                       std::optional<PassAhead::Key>& key);
  void keepPassEnd(const Slot& slot, bool trained);
  bool usePassAhead(const PatternView& set, const EpochSettings& settings,
                    std::optional<PassAhead::Key>& key);
};

}  // namespace nodelyx
