#include "startup/engine_files_check.h"

#include "platform/file_system.h"

namespace quillmoor {
namespace {

// The tables separate folder and name by "\"; other systems use "/".
std::u16string NativePath(std::u16string path) {
#if !defined(_WIN32)
    for (char16_t& c : path) {
        if (c == u'\\') {
            c = u'/';
        }
    }
#endif
    return path;
}

}  // namespace

std::u16string FindMissingEngineFiles(const EngineLayout& layout) {
    std::u16string missing;
    const auto note = [&missing](const std::u16string& file) { missing += file + u"\r\n"; };
    for (const auto& group : layout.file_groups) {
        for (const std::u16string& file : group) {
            if (!FileExists(NativePath(file))) {
                note(file);
            }
        }
    }
    if (!layout.locale_codes.empty()) {
        const bool folder_exists = DirectoryExists(NativePath(layout.locales_directory));
        for (const std::u16string& code : layout.locale_codes) {
            const std::u16string file = layout.locales_directory + u"\\" + code + u".pak";
            if (!folder_exists || !FileExists(NativePath(file))) {
                note(file);
            }
        }
    }
    return missing;
}

}  // namespace quillmoor
