// Reasons that the file-system layer gives in its errors where the system has no words of
// its own. Shared by the platforms' implementations.
#pragma once

#include <cstdint>
#include <string>

namespace quillmoor {

inline constexpr const char* kIsFolderReason = "it is a folder, not a file";
inline constexpr const char* kNotRegularFileReason = "it is not a regular file";

inline std::string TooLargeReason(std::uint64_t size, std::uint64_t max_bytes) {
    return "it holds " + std::to_string(size) + " bytes, more than the " +
           std::to_string(max_bytes) + " bytes that can be read";
}

// The name of the temporary file that ReplaceFileContent writes before renaming it.
inline std::string TemporaryFileName(unsigned long process_id, unsigned attempt) {
    return ".quillmoor-" + std::to_string(process_id) + "-" + std::to_string(attempt) + ".tmp";
}

}  // namespace quillmoor
