#include <array>

#include "files/atomic_file.h"
#include "files/c_format.h"
#include "files/config_file.h"
#include "nodelyx/version.h"

namespace nodelyx {
namespace {

struct SettingLine {
  const char* format;
  ConfigField field;
};

// The lines between [TRAINING] and [LAYERS]. Their order and column widths
// are fixed: other tools diff these files.
constexpr std::array<SettingLine, 29> kSettingLines = {{
    {"[MINWEIGHTS]       %10g       %%minimum weight value", ConfigField::MinWeight},
    {"[MAXWEIGHTS]       %10g       %%maximum weight value", ConfigField::MaxWeight},
    {"[PERTURBATION]     %10d       %%maximum weight perturbation", ConfigField::MaxPerturbation},
    {"[SATURATION]       %10d       %%saturation threshold", ConfigField::SaturationThreshold},
    {"[PREVSAT]          %10d       %%prevent saturation flag", ConfigField::PreventSaturation},
    {"[PLOTMEM]          %10d       %%plot memorization flag", ConfigField::PlotMemorization},
    {"[PATTERNCLIP]      %10g       %%Learned pattern clipping", ConfigField::PatternClip},
    {"[GAIN]             %10g       %%learning gain", ConfigField::LearningRate},
    {"[MOMENTUM]         %10g       %%learning momentum", ConfigField::Momentum},
    {"[ERRORMARGIN]      %10g       %%classification error margin", ConfigField::ErrorMargin},
    {"[DECAY]            %10g       %%Weight decay", ConfigField::WeightDecay},
    {"[NOISE]            %10g       %%Input noise", ConfigField::InputNoise},
    {"[EPOCHS]           %10d       %%max # of training cycles", ConfigField::MaxEpochs},
    {"[TOLERANCE]        %10g       %%rms error stopping criteria", ConfigField::RmsErrorStop},
    {"[MAX_RMS_ERROR]    %10g       %%max rms error stopping criteria", ConfigField::MaxRmsErrorStop},
    {"[MAX_ERROR]        %10g       %%max error stopping criteria", ConfigField::MaxErrorStop},
    {"[PERCENT_CORRECT]  %10g       %%percent correct stopping criteria", ConfigField::PercentCorrectStop},
    {"[ENFORCE_TRAIN]    %10d       %%Enforce stopping criteria for training file",
     ConfigField::EnforceTrainingStop},
    {"[ENFORCE_TEST]     %10d       %%Enforce stopping criteria for testing file",
     ConfigField::EnforceTestingStop},
    {"[RPROPWTINC]       %10g       %%RPROP Weight increase", ConfigField::RpropIncrease},
    {"[RPROPWTDEC]       %10g       %%RPROP Weight decrease", ConfigField::RpropDecrease},
    {"[RPROPWTMAX]       %10g       %%RPROP Max Weight change", ConfigField::RpropMaxStep},
    {"[RPROPWTMIN]       %10g       %%RPROP Min Weight change", ConfigField::RpropMinStep},
    {"[RPROPINIWT]       %10g       %%RPROP Initial Weight change", ConfigField::RpropInitialStep},
    {"[QUICKPROPMU]      %10g       %%QuickProp Max Weight change", ConfigField::QuickpropMaxGrowth},
    {"[DBDWTINC]         %10g       %%DBD Weight increase", ConfigField::DbdIncrease},
    {"[DBDWTDEC]         %10g       %%DBD Weight decrease", ConfigField::DbdDecrease},
    {"[DBDAVERAGE]       %10g       %%DBD averaging parameter", ConfigField::DbdAverage},
    {"[RANDONLOAD]       %10d       %%Shuffle trn data when loading", ConfigField::ShuffleOnLoad},
}};

bool isIntField(ConfigField field) { return static_cast<int>(field) < kIntFieldCount; }

std::string settingLine(const NetworkConfig& config, const SettingLine& line) {
  if (isIntField(line.field)) return formatC(line.format, config.intValue(line.field));
  return formatC(line.format, config.doubleValue(line.field));
}

void appendHeader(std::string& text, const NetworkConfig& config, std::string_view fileTitle) {
  text += formatC("Network configuration file created by %s V%s\n", kProductName, kVersionText);
  text += "Network file name: ";
  text += fileTitle.empty() ? std::string_view("untitled") : fileTitle;
  text += "\nStructure:         ";
  const auto& sizes = config.layerSizes();
  for (std::size_t l = 0; l < sizes.size(); ++l) text += formatC(l ? "/%u" : "%u", sizes[l]);
  text += "\nDate:              " + currentTimestamp() + "\n\n\n\n";
}

}  // namespace

std::string formatNetworkConfig(const NetworkConfig& config, std::string_view fileTitle) {
  std::string text;
  appendHeader(text, config, fileTitle);
  text +=
      formatC("[TRAINING]         %10d       %%training method\n", static_cast<int>(config.trainingMethod()));
  for (const SettingLine& line : kSettingLines) text += settingLine(config, line) + "\n";
  // Counts are unsigned: "%u" prints what "%d" prints for every count up to
  // 2^31 - 1 and keeps larger ones readable instead of negative.
  text += formatC("[LAYERS]           %10u       %%total number of layers\n", config.layerCount());
  for (int layer = 1; layer <= kHiddenLayerMax; ++layer)
    text += formatC("[HIDDEN%d]      %10u %3d       %%Neurons and activation fcn for layer %d\n", layer,
                    config.hiddenNeurons(layer), static_cast<int>(config.hiddenActivation(layer)), layer);
  text += formatC("[OUTPUT]           %10d       %%Output activation fcn\n",
                  static_cast<int>(config.outputActivation()));
  text += "[TRAININGFILE] " + config.trainingFile() + "\n";
  text += "[WEIGHTSFILE]  " + config.weightsFile() + "\n";
  text += "[TESTFILE]     " + config.testFile() + "\n";
  return text;
}

bool writeNetworkConfig(const NetworkConfig& config, const std::filesystem::path& path, std::string* reason) {
  return writeFileAtomically(path, formatNetworkConfig(config, path.filename().string()), reason);
}

}  // namespace nodelyx
