// The identifiers of the main window's controls and commands. Panel
// controls keep their numbers as widget object names ("ctl108"); menu and
// toolbar commands as action object names ("cmd24331"). The buttons of the
// panel are commands as well (Train is both control 555 and command 555).
#pragma once

#include <string>

namespace nodelyx {

enum class ControlId : int {
  None = 0,
  // Group "Training Properties".
  LearningRate = 108,
  Momentum = 109,
  InputNoise = 102,
  WeightDecay = 1086,
  ErrorMargin = 146,
  PatternClip = 147,
  CrossValidate = 141,
  // Group "Stopping Criteria".
  MaxEpochs = 111,
  RmsErrorStop = 107,
  MaxRmsErrorStop = 151,
  MaxErrorStop = 155,
  PercentCorrectStop = 156,
  EnforceTrainingStop = 1098,
  EnforceTestingStop = 1099,
  // "Training Algorithm".
  TrainingMethodList = 1084,
  // Group "Weights".
  MinWeight = 115,
  MaxWeight = 116,
  Randomize = 114,
  MaxPerturbation = 119,
  Perturb = 120,
  // Group "Neuron Saturation".
  PreventSaturation = 121,
  SaturationThreshold = 140,
  // Group "Network Topology".
  InputCountText = 123,
  HiddenLayerCount = 122,
  HiddenLayerSpin = 1096,
  HiddenNeurons1 = 124,
  HiddenNeurons2 = 125,
  HiddenNeurons3 = 126,
  HiddenNeurons4 = 127,
  HiddenNeurons5 = 128,
  OutputCountText = 129,
  HiddenActivation1 = 1078,
  HiddenActivation2 = 1080,
  HiddenActivation3 = 1079,
  HiddenActivation4 = 1082,
  HiddenActivation5 = 1083,
  OutputActivation = 1085,
  // Group "Data Files".
  TrainingData = 117,
  TrainingFileText = 112,
  TrainingPatternsText = 135,
  LoadWeights = 118,
  WeightsFileText = 113,
  TestingData = 110,
  TestingFileText = 142,
  TestingPatternsText = 144,
  SaveWeights = 139,
  // Statistics, training column.
  TrainEpoch = 137,
  TrainRms = 138,
  TrainMaxRms = 136,
  TrainMaxError = 148,
  TrainCorrect = 143,
  TrainPercent = 145,
  // Statistics, testing column.
  TestRms = 150,
  TestMaxRms = 149,
  TestMaxError = 154,
  TestCorrect = 152,
  TestPercent = 153,
  // Run buttons (also commands).
  Train = 555,
  Stop = 2,
  Test = 998,
  // Menu and toolbar commands.
  NewNetwork = 24331,
  OpenNetwork = 24332,
  SaveNetwork = 24333,
  SaveNetworkAs = 24334,
  WriteCCode = 40019,
  WritePascalCode = 40020,
  WriteMatlabCode = 40022,
  Exit = 24338,
  ViewNetwork = 9101,
  ViewErrorPlot = 9102,
  ViewContourPlot = 40007,
  ViewAnalysisPlot = 40008,
  ViewTrainingHistory = 40009,
  AdvancedSettings = 9104,
  HelpContents = 9103,
  About = 24346,
  RecentFile1 = 41001,
  RecentFile2 = 41002,
  RecentFile3 = 41003,
  RecentFile4 = 41004,
  DataScaling = 40006,
  ScalingSettings = 40021,
};

inline int controlNumber(ControlId id) { return static_cast<int>(id); }
// "ctl108": the object name of a panel control.
inline std::string controlObjectName(ControlId id) { return "ctl" + std::to_string(controlNumber(id)); }
// "cmd24331": the object name of a command's action.
inline std::string commandObjectName(ControlId id) { return "cmd" + std::to_string(controlNumber(id)); }

// The size field and activation list of hidden layer 1..5.
ControlId hiddenNeuronsControl(int layer);
ControlId hiddenActivationControl(int layer);

}  // namespace nodelyx
