// The network configuration file (.net): the settings record written out as
// text, one bracketed key per line with a trailing comment, and read back
// with case-insensitive keys in any order. GUI thread (or the command-line
// program's only thread).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "files/network_config.h"
#include "files/reporter.h"

namespace nodelyx {

// The text of a configuration file for `config`; fileTitle names the file
// itself in the header ("untitled" when empty). The date is the current
// local time.
std::string formatNetworkConfig(const NetworkConfig& config, std::string_view fileTitle);

// Writes the configuration atomically. Returns false, leaving any previous
// file intact, when the file cannot be written (reason, when given, says
// why); reports nothing (the caller says "Could not write file %s").
bool writeNetworkConfig(const NetworkConfig& config, const std::filesystem::path& path,
                        std::string* reason = nullptr);

// Reads a configuration over the current settings: keys present change
// their fields, absent keys leave theirs alone. A '%' starts a comment to
// the end of its line (in a path value: a '%' after a blank). Returns false
// when the file cannot be opened (no message: the caller reports it), when
// it holds no known key with a value (no message), or after reporting an
// out-of-range layer or neuron count, an activation code other than 1..4,
// a value that is no number, or a minimum weight above the maximum (fields
// read before keep their new values). The caller adds the path to the
// recent files on success and loads the companion files.
// openFailure, when given, receives the system's reason when the file
// cannot be read at all.
bool readNetworkConfig(const std::filesystem::path& path, NetworkConfig& config, Reporter& reporter,
                       std::string* openFailure = nullptr);

// Whether key (without its brackets, in any case) is one the reader knows.
bool isConfigurationKey(std::string_view key);

// Configurations are a few kilobytes; anything near this is not one.
inline constexpr std::uint64_t kConfigReadLimit = std::uint64_t{16} << 20;

// The same on a text held in memory; fileTitle names it in messages.
bool parseNetworkConfig(std::string_view text, std::string_view fileTitle, NetworkConfig& config,
                        Reporter& reporter);

}  // namespace nodelyx
