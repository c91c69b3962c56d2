#include "tests/startup/engine_fixture.h"

#include <algorithm>

#include "platform/utf.h"
#include "startup/engine_layout.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace quillmoor::test_support {

void WriteWindowsEngineFiles(const FixtureFolder& folder) {
    const EngineLayout layout = EngineLayout::Windows();
    for (const auto& group : layout.file_groups) {
        for (const std::u16string& file : group) {
            std::string name = Utf16ToUtf8(file);
            std::replace(name.begin(), name.end(), '\\', '/');
            folder.WriteFile(name, "x");
        }
    }
    for (const std::u16string& code : layout.locale_codes) {
        folder.WriteFile("locales/" + Utf16ToUtf8(code) + ".pak", "x");
    }
}

void UnloadEngineLibraryIn(const std::filesystem::path& folder) {
#if defined(_WIN32)
    const std::wstring path = (folder / "libcef.dll").wstring();
    for (HMODULE module = GetModuleHandleW(path.c_str()); module != nullptr && FreeLibrary(module);
         module = GetModuleHandleW(path.c_str())) {
    }
#else
    (void)folder;
#endif
}

std::string ElfHeader(uint16_t machine, unsigned char elf_class, unsigned char data) {
    std::string header(64, '\0');
    header.replace(0, 4,
                   "\x7F"
                   "ELF");
    header[4] = static_cast<char>(elf_class);
    header[5] = static_cast<char>(data);
    header[6] = 1;  // version
    const char low = static_cast<char>(machine & 0xFF);
    const char high = static_cast<char>(machine >> 8);
    header[18] = data == 1 ? low : high;
    header[19] = data == 1 ? high : low;
    return header;
}

}  // namespace quillmoor::test_support
