// Engine files made by the tests.
#pragma once

#include <cstdint>
#include <string>

#include "tests/startup/fixture_folder.h"

namespace quillmoor::testing {

// Every file of the Windows engine distribution (placeholders) in folder, locales too.
void WriteWindowsEngineFiles(const FixtureFolder& folder);

// A 64-byte ELF header: class 1 (32-bit) or 2 (64-bit), data 1 (little-endian) or 2 (big).
std::string ElfHeader(uint16_t machine, unsigned char elf_class = 2, unsigned char data = 1);

}  // namespace quillmoor::testing
