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

// The home folder that Chromium is given inside its profile folder.
std::string ChromiumHome(const std::string& profile_folder);

// Chromium's environment: inherited (entries "NAME=value"), but with the home folder
// inside the profile folder and without the user's own configuration, cache, data and
// state folders, which would otherwise lead there. Whatever Chromium keeps for itself
// beside the profile (the crash-report settings and crash dumps, the certificate store,
// caches of its libraries) so lands in the profile and goes with it.
std::vector<std::string> ChromiumEnvironment(const std::string& profile_folder,
                                             const std::vector<std::string>& inherited);

}  // namespace quillmoor::bridge
