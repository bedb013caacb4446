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

// Replaces the network with the one in the file. False (after a message,
// except when the file cannot be opened) leaves no network and an empty
// history; data sets whose counts conflict with the file are discarded
// with a message, and the weights still load.
bool openWeightsFile(Session& session, const std::filesystem::path& path, Reporter& reporter);

// The same on a text held in memory; fileTitle names it.
bool openWeightsText(Session& session, std::string_view text, std::string_view fileTitle,
                     const std::filesystem::path& path, Reporter& reporter);

// Saves the network with its history, atomically. False after a message
// when there is no network or the file cannot be written (the previous file
// is then intact); true clears weightsModified.
bool saveWeightsFile(Session& session, const std::filesystem::path& path, Reporter& reporter);

}  // namespace nodelyx
