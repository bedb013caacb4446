// The options of nodelyx-cli train, read and checked before anything is
// loaded, and the settings they override in the configuration.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/cli_support.h"
#include "files/network_config.h"
#include "files/reporter.h"
#include "scaling/scaling_record.h"

namespace nodelyx::cli {

struct TrainOptions {
  std::filesystem::path config;
  std::optional<long long> epochs;
  std::optional<std::uint32_t> seed;
  bool fresh = false;  // ignore the configuration's weights file
  std::string weights;
  DataCounts counts;
  ForeignDataOptions dataFormat;  // of the training and testing files
  // Configuration lines ("[KEY] VALUE") from --set, --method and --rate, in
  // the order given; each has passed the reader's checks on its own.
  std::vector<std::string> settings;
  std::optional<ScalingMode> scaling;
  std::filesystem::path curve;
  long long curveEvery = 1;
  long long repeat = 0;  // 0: one run, its weights under the plain name
  long long jobs = 1;
  bool quiet = false;
  bool json = false;

  // Whether the options ask for new networks (--seed or --repeat).
  bool wantsNewNetworks() const { return seed.has_value() || repeat > 0; }
};

// False with exitCode set when the command must end (help shown: 0, a
// usage error: 2, after its message).
bool readTrainOptions(Arguments args, TrainOptions& options, int& exitCode);

// The configuration's settings with the command line's lines applied, all
// at once, so that a pair of weight limits is checked together. False after
// the reader's message.
bool applySettingLines(const std::vector<std::string>& lines, NetworkConfig& config, Reporter& reporter);

}  // namespace nodelyx::cli
