// Opening and saving weights files in a session: the network of the stored
// topology is built, the settings follow its topology and activations, the
// scaling record and switch follow its ranges, and the history comes along.
// GUI thread, never while a training run is active.
#pragma once

#include <filesystem>
#include <string_view>

#include "app/session.h"
#include "files/reporter.h"

namespace nodelyx {

// Replaces the network with the one in the file; refused (false, with the
// warning) while a run is active, as is saving. False (after a message,
// except when the file cannot be read: then openFailure, when given,
// receives the system's reason) leaves no network and an empty history;
// data sets whose counts conflict with the file are discarded with a
// message, and the weights still load. History records that cannot be read
// are left out with a warning (a save would not contain them).
bool openWeightsFile(Session& session, const std::filesystem::path& path, Reporter& reporter,
                     std::string* openFailure = nullptr);

// The same on a text held in memory; fileTitle names it.
bool openWeightsText(Session& session, std::string_view text, std::string_view fileTitle,
                     const std::filesystem::path& path, Reporter& reporter);

// Saves the network with its history, atomically. False after a message
// (with the system's reason) when there is no network or the file cannot be
// written (the previous file is then intact); true clears weightsModified.
bool saveWeightsFile(Session& session, const std::filesystem::path& path, Reporter& reporter);

}  // namespace nodelyx
