#include "files/network_config.h"

#include <gtest/gtest.h>

#include <vector>

namespace nodelyx {
namespace {

struct Notification {
  ConfigField field;
  int layer;
  bool operator==(const Notification&) const = default;
};

class RecordingObserver : public ConfigObserver {
 public:
  void settingChanged(ConfigField field, int layer) override { seen.push_back({field, layer}); }
  std::vector<Notification> seen;
};

TEST(NetworkConfigTest, StartsWithSentinelsAndClearedFlags) {
  NetworkConfig config;
  EXPECT_EQ(config.plotMemorization(), 0);
  EXPECT_EQ(config.preventSaturation(), 0);
  EXPECT_EQ(config.enforceTrainingStop(), 0);
  EXPECT_EQ(config.enforceTestingStop(), 0);
  EXPECT_EQ(config.shuffleOnLoad(), 0);
  EXPECT_EQ(config.maxEpochs(), 99999);
  EXPECT_EQ(config.saturationThreshold(), 99999);
  EXPECT_EQ(config.learningRate(), 99999.0);
  EXPECT_EQ(config.dbdAverage(), 99999.0);
  EXPECT_EQ(static_cast<int>(config.trainingMethod()), 99999);
  EXPECT_EQ(config.layerCount(), 99999u);
  EXPECT_EQ(config.hiddenNeurons(5), 99999u);
  EXPECT_EQ(static_cast<int>(config.outputActivation()), 99999);
  EXPECT_TRUE(config.layerSizes().empty());
  EXPECT_TRUE(config.trainingFile().empty());
}

TEST(NetworkConfigTest, SettersNotifyOnChangeAndFlagsOnEveryAssignment) {
  NetworkConfig config;
  RecordingObserver observer;
  config.setObserver(&observer);
  config.setLearningRate(0.1);
  config.setLearningRate(0.1);
  config.setMaxEpochs(10);
  config.setMaxEpochs(10);
  config.setPreventSaturation(0);
  config.setPreventSaturation(0);
  config.setTrainingMethod(TrainingMethod::Rprop);
  config.setTrainingMethod(TrainingMethod::Rprop);
  config.setHiddenNeurons(2, 4);
  config.setHiddenNeurons(2, 4);
  config.setWeightsFile("a.wts");
  config.setWeightsFile("a.wts");
  config.setTrainingFile("a.trn");
  config.setTrainingFile("a.trn");  // the pattern count beside it may change
  const std::vector<Notification> expected = {
      {ConfigField::LearningRate, 0},      {ConfigField::MaxEpochs, 0},
      {ConfigField::PreventSaturation, 0}, {ConfigField::PreventSaturation, 0},
      {ConfigField::TrainingMethod, 0},    {ConfigField::HiddenNeurons, 2},
      {ConfigField::WeightsFile, 0},       {ConfigField::TrainingFile, 0},
      {ConfigField::TrainingFile, 0},
  };
  EXPECT_EQ(observer.seen, expected);
}

TEST(NetworkConfigTest, LayerSizesFollowTheTopology) {
  NetworkConfig config;
  applyPanelDefaults(config);
  EXPECT_EQ(config.layerSizes(), (std::vector<std::uint32_t>{0, 5, 0}));
  config.setInputCount(4);
  config.setOutputCount(2);
  config.setLayerCount(4);
  config.setHiddenNeurons(2, 3);
  EXPECT_EQ(config.layerSizes(), (std::vector<std::uint32_t>{4, 5, 3, 2}));
  config.setLayerCount(2);
  EXPECT_EQ(config.layerSizes(), (std::vector<std::uint32_t>{4, 2}));
  config.setLayerCount(7);
  EXPECT_EQ(config.layerSizes(), (std::vector<std::uint32_t>{4, 5, 3, 1, 1, 1, 2}));
  config.setLayerCount(8);  // no such network: no sizes rather than a guess
  EXPECT_TRUE(config.layerSizes().empty());
}

TEST(NetworkConfigTest, PanelDefaults) {
  NetworkConfig config;
  applyPanelDefaults(config);
  EXPECT_EQ(config.learningRate(), 0.1);
  EXPECT_EQ(config.rpropMinStep(), 1e-06);
  EXPECT_EQ(config.minWeight(), -100.0);
  EXPECT_EQ(config.preventSaturation(), 1);
  EXPECT_EQ(config.percentCorrectStop(), 100.0);
  EXPECT_EQ(config.enforceTestingStop(), 1);
  EXPECT_EQ(config.trainingMethod(), TrainingMethod::OnlineBackpropRandom);
  EXPECT_EQ(config.layerCount(), 3u);
  EXPECT_EQ(config.hiddenNeurons(1), 5u);
  EXPECT_EQ(config.hiddenNeurons(2), 1u);
  EXPECT_EQ(config.hiddenActivation(5), ActivationType::Logistic);
  EXPECT_EQ(config.outputActivation(), ActivationType::Logistic);
}

}  // namespace
}  // namespace nodelyx
