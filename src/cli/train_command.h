// What the single run and the repeated runs of nodelyx-cli train share.
#pragma once

#include <filesystem>
#include <string>

#include "app/session.h"
#include "cli/cli_reporter.h"
#include "cli/train_monitor.h"
#include "cli/train_options.h"

namespace nodelyx::cli {

// Where the weights go: --weights, else the configuration's weights file,
// else CONFIG.wts beside the configuration.
std::filesystem::path weightsDestination(const TrainOptions& options, const Session& session);

// False, after the error, when a file that must be written cannot be.
bool canWriteResult(const std::filesystem::path& path, const char* what, const char* notWritten,
                    Reporter& reporter);

// Opens the learning curve file; false after the error.
bool openCurve(CurveWriter& curve, const std::filesystem::path& path, const TrainOptions& options,
               const Session& session, Reporter& reporter);

// Closes the curve file; false after the error when rows were lost.
bool closeCurve(CurveWriter& curve, const std::filesystem::path& path, Reporter& reporter);

// Warnings about how a run ended (nothing trained, divergence).
void reportOutcome(const Session& session, const RunSummary& summary, Reporter& reporter);

// N new networks from consecutive seeds, on options.jobs threads.
int trainRepeatedly(const Session& prototype, const TrainOptions& options, StderrReporter& reporter);

}  // namespace nodelyx::cli
