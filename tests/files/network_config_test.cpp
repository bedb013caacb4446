#include "files/network_config.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// Every number starts at a value no setting takes, so the first assignment
// of each (even of a default of 0) is announced. Paths start empty.
TEST(NetworkConfigTest, FirstAssignmentOfEveryNumberIsAnnounced) {
  NetworkConfig config;
  EXPECT_TRUE(config.layerSizes().empty());
  RecordingObserver observer;
  config.setObserver(&observer);
  applyPanelDefaults(config);
  const auto announced = [&](ConfigField field, int layer) {
    return std::find(observer.seen.begin(), observer.seen.end(), Notification{field, layer}) !=
           observer.seen.end();
  };
  for (int f = 0; f <= static_cast<int>(ConfigField::OutputCount); ++f) {
    const auto field = static_cast<ConfigField>(f);
    const bool perLayer = field == ConfigField::HiddenNeurons || field == ConfigField::HiddenActivation;
    for (int layer = perLayer ? 1 : 0; layer <= (perLayer ? kHiddenLayerMax : 0); ++layer)
      EXPECT_TRUE(announced(field, layer)) << "field " << f << " layer " << layer;
  }
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

}  // namespace
}  // namespace nodelyx
