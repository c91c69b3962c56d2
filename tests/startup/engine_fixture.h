// Engine files made by the tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "tests/startup/fixture_folder.h"

namespace quillmoor::test_support {

// Every file of the Windows engine distribution (placeholders) in folder, locales too.
void WriteWindowsEngineFiles(const FixtureFolder& folder);

// Gives back every reference this process holds to the engine library in folder, so that
// the folder can be removed and the next test's load by the library's bare name does not get
// this module (Windows hands a loaded module to every load of its name, wherever the file
// lies). Nothing to do elsewhere.
void UnloadEngineLibraryIn(const std::filesystem::path& folder);

// A 64-byte ELF header: class 1 (32-bit) or 2 (64-bit), data 1 (little-endian) or 2 (big).
std::string ElfHeader(uint16_t machine, unsigned char elf_class = 2, unsigned char data = 1);

}  // namespace quillmoor::test_support
