// Where the engine's files lie and how its build is recognised, on each system.
#pragma once

#include <string>
#include <vector>

#include "engine/engine_version.h"
#include "platform/file_version.h"

namespace quillmoor {

struct EngineLayout {
    // How the engine's build number is found.
    enum class VersionSource {
        kFileVersionRecord,   // the library's fixed version record, before loading it
        kVersionInfoEntries,  // cef_version_info 0, 1, 2 of the loaded library
    };
    // Which header tells the library's machine.
    enum class BinaryFormat { kPe, kElf };

    // The engine library's file name, e.g. "libcef.dll".
    std::u16string library_name;
    // Load by the bare name through the system's search (true), or by the path built
    // from the working directory (false).
    bool load_by_bare_name = true;
    // The groups of files checked before loading, in order; paths relative to the working
    // directory, with "\" between folder and name.
    std::vector<std::vector<std::u16string>> file_groups;
    // The locale packs: folder, codes (each followed by ".pak"). No codes: no locale check.
    std::u16string locales_directory;
    std::vector<std::u16string> locale_codes;

    VersionSource version_source = VersionSource::kFileVersionRecord;
    BinaryFormat binary_format = BinaryFormat::kPe;

    // The one engine build this program is made for.
    static constexpr FileVersion kSupportedVersion{static_cast<uint16_t>(kEngineBuild.major),
                                                   static_cast<uint16_t>(kEngineBuild.minor),
                                                   static_cast<uint16_t>(kEngineBuild.patch), 0};

    // The 32-bit Windows engine distribution.
    static EngineLayout Windows();
    // The Linux engine library: libcef.so alone, in the working directory.
    static EngineLayout Linux();
    // The layout of the system this program is built for.
    static EngineLayout ForThisSystem();
};

}  // namespace quillmoor
