// Reading the machine of a library from its PE or ELF header.
#include <gtest/gtest.h>

#include "platform/executable_header.h"
#include "tests/startup/engine_fixture.h"
#include "tests/startup/pe_image_builder.h"
#include "tests/support/example.h"

namespace quillmoor {
namespace {

std::optional<uint16_t> PeMachineOf(const std::string& image) {
    return ReadPeMachine(MemoryByteRangeReader(image));
}

std::string WithByte(std::string image, size_t at, char value) {
    image[at] = value;
    return image;
}

TEST(ReadPeMachineTest, ReadsTheMachineOfWellFormedImages) {
    for (const uint16_t machine :
         {kPeMachineI386, kPeMachineAmd64, uint16_t{0x01C4}, uint16_t{0xAA64}}) {
        EXPECT_EQ(PeMachineOf(test_support::BuildPeImage(
                      test_support::PeImageShape{machine, FileVersion{78, 3, 9, 0}})),
                  machine);
        EXPECT_EQ(PeMachineOf(test_support::BuildPeImage(
                      test_support::PeImageShape{machine, std::nullopt})),
                  machine);
    }
}

TEST(ReadPeMachineTest, HeadersNotOfThePeFormGiveNothing) {
    const std::string good =
        test_support::BuildPeImage(test_support::PeImageShape{kPeMachineAmd64, std::nullopt});
    std::string no_new_header = good;
    no_new_header.replace(0x3C, 4, std::string(4, '\0'));
    std::string far_new_header = good;
    far_new_header.replace(0x3C, 4, std::string("\xF0\xFF\xFF\x7F", 4));
    const struct {
        const char* label;
        std::string image;
    } cases[] = {
        {"empty file", ""},
        {"shorter than the DOS header", good.substr(0, 63)},
        {"no MZ signature", WithByte(good, 0, 'N')},
        {"new-header offset 0", no_new_header},
        {"new-header offset past the end", far_new_header},
        {"no PE signature", WithByte(good, 0x41, 'X')},
        {"PE signature without its zero bytes", WithByte(good, 0x42, 'Z')},
        {"NT headers cut short", good.substr(0, 0x40 + 247)},
        {"an ELF file",
         "\x7F"
         "ELF" +
             std::string(60, '\0')},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PeMachineOf(c.image), std::nullopt) << c.label;
    }
    EXPECT_EQ(PeMachineOf(good.substr(0, 0x40 + 248)), kPeMachineAmd64)
        << "the 248 header bytes are enough";
}

TEST(ReadElfIdentityTest, ReadsMachineAndClass) {
    const test_support::Example<std::string, ElfIdentity> cases[] = {
        {"x86-64", test_support::ElfHeader(kElfMachineX86_64, 2, 1), {kElfMachineX86_64, true}},
        {"i386", test_support::ElfHeader(kElfMachineI386, 1, 1), {kElfMachineI386, false}},
        {"aarch64", test_support::ElfHeader(kElfMachineAarch64, 2, 1), {kElfMachineAarch64, true}},
        {"big-endian 64-bit PowerPC", test_support::ElfHeader(21, 2, 2), {21, true}},
    };
    for (const auto& c : cases) {
        const std::optional<ElfIdentity> identity = ReadElfIdentity(MemoryByteRangeReader(c.input));
        ASSERT_TRUE(identity.has_value()) << c.name;
        EXPECT_EQ(*identity, c.expected) << c.name;
    }
}

TEST(ReadElfIdentityTest, OtherFilesGiveNothing) {
    const std::string good = test_support::ElfHeader(kElfMachineX86_64);
    for (const std::string& image :
         {std::string(), good.substr(0, 19), WithByte(good, 1, 'e'), WithByte(good, 4, 3),
          WithByte(good, 5, 0), std::string("MZ") + std::string(62, '\0')}) {
        EXPECT_EQ(ReadElfIdentity(MemoryByteRangeReader(image)).has_value(), false);
    }
}

}  // namespace
}  // namespace quillmoor
