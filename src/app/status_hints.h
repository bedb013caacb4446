// The texts that explain what the user points at: the toolbar's tooltips,
// the status-bar hints of the menu commands and of the panel's controls
// (with the legal range of each field, formatted from the current settings
// so the coupled weight bounds follow them). Pure functions; any thread.
#pragma once

#include <optional>
#include <string>

#include "app/control_id.h"
#include "files/network_config.h"

namespace nodelyx {

inline constexpr const char* kReadyStatus = "Ready";
inline constexpr const char* kDefaultControlHint = "For Help, press F1";

// The tooltip of a toolbar button's command; "Unknown" for any other.
std::string toolTipText(ControlId command);

// The status text while a menu command is highlighted; nullopt for the
// commands that leave the status text as it is.
std::optional<std::string> menuHint(ControlId command);

// The status text while the pointer is over a panel control; the default
// hint for anything else (None: the window itself).
std::string controlHint(ControlId control, const NetworkConfig& config);

}  // namespace nodelyx
