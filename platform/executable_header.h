// The machine an executable or library is built for, read from its header.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/byte_range_reader.h"

namespace quillmoor {

// PE machine types.
constexpr uint16_t kPeMachineI386 = 0x014C;
constexpr uint16_t kPeMachineAmd64 = 0x8664;
// The size of the DOS header, and of the 32-bit NT headers: signature, file header and
// optional header.
constexpr size_t kDosHeaderSize = 64;
constexpr size_t kPeNtHeadersSize = 248;

// The machine of the program's Windows build, and the other x86 machine, whose engine
// library such a program cannot load. The program ships as a 32-bit build, and its checks
// are those of a 32-bit program wherever they run; the 64-bit Windows build exists so that
// the Windows code runs under 64-bit Wine on machines that cannot run 32-bit programs.
#if defined(_WIN64)
constexpr uint16_t kWindowsProgramPeMachine = kPeMachineAmd64;
constexpr uint16_t kWindowsOtherPeMachine = kPeMachineI386;
#else
constexpr uint16_t kWindowsProgramPeMachine = kPeMachineI386;
constexpr uint16_t kWindowsOtherPeMachine = kPeMachineAmd64;
#endif

// ELF machine types.
constexpr uint16_t kElfMachineI386 = 3;
constexpr uint16_t kElfMachineX86_64 = 62;
constexpr uint16_t kElfMachineAarch64 = 183;
constexpr uint16_t kElfMachineArm = 40;

// The machine of a PE image: a 64-byte DOS header whose signature is "MZ" and whose
// new-header offset is not 0, and at that offset 248 bytes that begin with "PE\0\0".
// Nothing when the image is too short or not of that form.
std::optional<uint16_t> ReadPeMachine(const ByteRangeReader& image);

struct ElfIdentity {
    uint16_t machine = 0;
    bool is_64_bit = false;

    friend bool operator==(const ElfIdentity&, const ElfIdentity&) = default;
};

// The machine and class of an ELF image; nothing when the image is too short or not ELF.
std::optional<ElfIdentity> ReadElfIdentity(const ByteRangeReader& image);

// The ELF machine of this program's own build.
uint16_t OwnElfMachine();

}  // namespace quillmoor
