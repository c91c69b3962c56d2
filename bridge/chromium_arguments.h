// The command line the engine library starts Chromium with.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillmoor::bridge {

// The switch's name without its leading dashes and value: "--a-b=c" -> "a-b". Empty when
// text is not a switch.
std::string_view SwitchName(std::string_view text);

// Chromium's arguments (argv[0] excluded): the defaults for a hidden browser on a closed
// network, then switches (texts like "--name" or "--name=value", from the program's
// command line and its application), then what the engine library itself relies on,
// which a switch cannot override: headless, the DevTools pipe, the profile folder, no
// sandbox. Switches that would take the pipe or the profile away are left out, as is
// anything that is not a switch.
std::vector<std::string> ChromiumArguments(const std::string& profile_folder,
                                           const std::vector<std::string>& switches);

}  // namespace quillmoor::bridge
