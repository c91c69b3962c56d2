#include "platform/executable_header.h"

namespace quillmoor {

std::optional<uint16_t> ReadPeMachine(const ByteRangeReader& image) {
    const std::optional<std::string> dos = image(0, kDosHeaderSize);
    if (!dos || (*dos)[0] != 'M' || (*dos)[1] != 'Z') {
        return std::nullopt;
    }
    const uint32_t nt_offset = LittleEndian32(*dos, 0x3C);
    if (nt_offset == 0) {
        return std::nullopt;
    }
    const std::optional<std::string> nt = image(nt_offset, kPeNtHeadersSize);
    if (!nt || nt->compare(0, 4, std::string_view("PE\0\0", 4)) != 0) {
        return std::nullopt;
    }
    return LittleEndian16(*nt, 4);
}

std::optional<ElfIdentity> ReadElfIdentity(const ByteRangeReader& image) {
    // e_ident (16 bytes), e_type, e_machine: 20 bytes in both classes.
    const std::optional<std::string> header = image(0, 20);
    if (!header || header->compare(0, 4,
                                   "\x7F"
                                   "ELF") != 0) {
        return std::nullopt;
    }
    const unsigned char elf_class = static_cast<unsigned char>((*header)[4]);
    const unsigned char data = static_cast<unsigned char>((*header)[5]);
    if ((elf_class != 1 && elf_class != 2) || (data != 1 && data != 2)) {
        return std::nullopt;
    }
    uint16_t machine = LittleEndian16(*header, 18);
    if (data == 2) {  // big-endian
        machine = static_cast<uint16_t>((machine >> 8) | (machine << 8));
    }
    return ElfIdentity{machine, elf_class == 2};
}

uint16_t OwnElfMachine() {
#if defined(__x86_64__)
    return kElfMachineX86_64;
#elif defined(__i386__)
    return kElfMachineI386;
#elif defined(__aarch64__)
    return kElfMachineAarch64;
#elif defined(__arm__)
    return kElfMachineArm;
#else
#error "Unknown processor: add its ELF machine type"
#endif
}

}  // namespace quillmoor
