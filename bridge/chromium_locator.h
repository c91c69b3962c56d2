// Finding the Chromium that the engine library drives.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillmoor::bridge {

// The program names looked for, in this order, in every folder of PATH.
inline constexpr std::string_view kChromiumNames[] = {"chromium", "chromium-browser",
                                                      "google-chrome"};

// The names above joined for messages: "chromium, chromium-browser or google-chrome".
std::string ChromiumNamesForMessage();

// The first executable regular file named in kChromiumNames found in the folders of
// path_variable (a PATH value: folders separated by ':'; an empty entry is the working
// directory). Every folder is searched for the first name before the next name is tried.
std::optional<std::string> FindChromium(std::string_view path_variable);

}  // namespace quillmoor::bridge
