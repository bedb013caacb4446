// The commands of nodelyx-cli. Each takes the arguments after its name and
// returns the process exit code (0 success, 1 failure, 2 usage error).
#pragma once

#include "cli/arguments.h"

namespace nodelyx::cli {

int runTrainCommand(Arguments args);
int runTestCommand(Arguments args);
int runExportCommand(Arguments args);
int runEvalCommand(Arguments args);
int runHistoryCommand(Arguments args);
int runDataCommand(Arguments args);
int runConfigCommand(Arguments args);
int runConvertCommand(Arguments args);
int runScaleCommand(Arguments args);
int runInfoCommand(Arguments args);

}  // namespace nodelyx::cli
