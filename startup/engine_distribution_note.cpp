#include "startup/engine_distribution_note.h"

#include "engine/engine_version.h"
#include "platform/utf.h"
#include "startup/engine_layout.h"

namespace quillmoor {

std::string EngineDistributionNote() {
    const EngineLayout layout = EngineLayout::Windows();
    const std::string build = std::to_string(kEngineBuild.major) + "." +
                              std::to_string(kEngineBuild.minor) + "." +
                              std::to_string(kEngineBuild.patch);
    std::string note =
        "Quillmoor needs the browser engine beside it\r\n"
        "\r\n"
        "quillmoor.exe runs only with one build of the Chromium Embedded Framework: " +
        build +
        " (Chromium 78.0.3904.108), the 32-bit Windows (i386) binaries, whose libcef.dll "
        "carries the file version " +
        build +
        ".0. Take the \"Standard Distribution\" of that build for Windows 32-bit from the "
        "framework's automated builds (https://cef-builds.spotifycdn.com/index.html, "
        "\"Windows 32-bit\", version " +
        build +
        "), and copy the contents of its Release and Resources folders into the folder that "
        "holds quillmoor.exe, so that these files lie beside it:\r\n"
        "\r\n";
    for (const std::vector<std::u16string>& group : layout.file_groups) {
        for (const std::u16string& file : group) {
            note += "  " + Utf16ToUtf8(file) + "\r\n";
        }
    }
    for (const std::u16string& code : layout.locale_codes) {
        note +=
            "  " + Utf16ToUtf8(layout.locales_directory) + "\\" + Utf16ToUtf8(code) + ".pak\r\n";
    }
    note +=
        "\r\n"
        "Quillmoor checks for them when it starts and names what is missing. Start it from "
        "its own folder: it loads the engine from the folder it runs in.\r\n";
    return note;
}

}  // namespace quillmoor
