// What the engine navigates to when it is told to load a text: an address passes
// unchanged, a plain file-system path becomes a file URL.
#pragma once

#include <string>
#include <string_view>

namespace quillmoor::bridge {

// text is UTF-8. Surrounding blanks are dropped. A text with a scheme ("https:",
// "file:", "about:", "data:") is returned as it is; an absolute path ("/x", "~/x")
// becomes a file URL with the bytes that a URL cannot hold percent-encoded; a relative
// path becomes the file URL of that file in working_folder when such a file exists;
// anything else ("example.com", "localhost:8080/x") is taken as a web address. Empty for
// a blank text.
std::string AddressToLoad(std::string_view text, const std::string& working_folder,
                          const std::string& home_folder);

// AddressToLoad from this process's working folder and $HOME.
std::string AddressToLoad(std::string_view text);

// "file://" followed by the absolute path, percent-encoded.
std::string FileUrlOfPath(std::string_view absolute_path);

}  // namespace quillmoor::bridge
