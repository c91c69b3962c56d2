// Reading the fixed version record of PE images, portably and through the platform.
#include <gtest/gtest.h>

#include <random>

#include "platform/file_system.h"
#include "platform/pe_version_reader.h"
#include "platform/utf.h"
#include "tests/startup/fixture_folder.h"
#include "tests/startup/pe_image_builder.h"

namespace quillmoor {
namespace {

std::optional<FileVersion> VersionOf(const std::string& image) {
    return PeVersionReader(MemoryByteRangeReader(image)).FixedFileVersion();
}

// The offset of the fixed record's signature in a built image.
size_t FixedRecordAt(const std::string& image) {
    const size_t at = image.find(std::string("\xBD\x04\xEF\xFE", 4));
    EXPECT_NE(at, std::string::npos);
    return at;
}

TEST(PeVersionReaderTest, ReadsTheFourWords) {
    const FileVersion versions[] = {
        {78, 3, 9, 0}, {78, 3, 9, 1}, {0, 0, 0, 0}, {65535, 65534, 3904, 108}};
    for (const FileVersion& version : versions) {
        EXPECT_EQ(
            VersionOf(test_support::BuildPeImage(test_support::PeImageShape{0x014C, version})),
            version);
        EXPECT_EQ(
            VersionOf(test_support::BuildPeImage(test_support::PeImageShape{0x8664, version})),
            version)
            << "PE32+";
    }
}

TEST(PeVersionReaderTest, ImagesWithoutARecordGiveNothing) {
    std::string bad_signature =
        test_support::BuildPeImage(test_support::PeImageShape{0x014C, FileVersion{78, 3, 9, 0}});
    bad_signature[FixedRecordAt(bad_signature)] = 'X';
    std::string bad_key =
        test_support::BuildPeImage(test_support::PeImageShape{0x014C, FileVersion{78, 3, 9, 0}});
    bad_key[bad_key.find('V', 0x200 + 0x58)] = 'W';
    const struct {
        const char* label;
        std::string image;
    } cases[] = {
        {"no resources",
         test_support::BuildPeImage(test_support::PeImageShape{0x014C, std::nullopt})},
        {"not a PE image", std::string(4096, 'x')},
        {"empty", ""},
        {"fixed record signature wrong", bad_signature},
        {"block key wrong", bad_key},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VersionOf(c.image), std::nullopt) << c.label;
    }
}

TEST(PeVersionReaderTest, TruncatedImagesNeverReadPastTheEnd) {
    const std::string image =
        test_support::BuildPeImage(test_support::PeImageShape{0x014C, FileVersion{78, 3, 9, 0}});
    const size_t needed = FixedRecordAt(image) + 16;
    for (size_t length = 0; length < image.size(); ++length) {
        const std::optional<FileVersion> version = VersionOf(image.substr(0, length));
        if (length < needed) {
            EXPECT_EQ(version, std::nullopt) << "cut at " << length;
        }
    }
}

TEST(PeVersionReaderTest, CorruptedImagesAreReadSafely) {
    // Any byte of the headers and the resource tree may be damaged, but for the version
    // words themselves: the reader answers with the image's own version or nothing, never
    // with words read from elsewhere, and never reads out of bounds (checked under ASan).
    const FileVersion own{78, 3, 9, 0};
    const std::string image = test_support::BuildPeImage(test_support::PeImageShape{0x014C, own});
    const size_t version_words = FixedRecordAt(image) + 8;
    std::mt19937 random(20191203);
    int answered = 0;
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = image;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i) {
            const size_t at = random() % (0x200 + 0x60);
            if (at < version_words || at >= version_words + 8) {
                damaged[at] = static_cast<char>(random() & 0xFF);
            }
        }
        const std::optional<FileVersion> version = VersionOf(damaged);
        if (version.has_value()) {
            ++answered;
            EXPECT_EQ(*version, own) << "round " << round;
        } else {
            ++refused;
        }
    }
    // The damage reaches both outcomes, so that the rounds test the checks on the way.
    EXPECT_GT(answered, 0);
    EXPECT_GT(refused, 0);
}

TEST(ReadFileVersionTest, ReadsTheRecordOfAFile) {
    test_support::FixtureFolder folder;
    folder.WriteFile("with.dll", test_support::BuildPeImage(
                                     test_support::PeImageShape{0x014C, FileVersion{78, 3, 9, 1}}));
    folder.WriteFile("without.dll",
                     test_support::BuildPeImage(test_support::PeImageShape{0x014C, std::nullopt}));
    folder.WriteFile("text.dll", "just some text, not an executable");
    const auto path = [&folder](const char* name) {
        return Utf8ToUtf16((folder.path() / name).string());
    };
    EXPECT_EQ(ReadFileVersion(path("with.dll")), (FileVersion{78, 3, 9, 1}));
    EXPECT_EQ(ReadFileVersion(path("without.dll")), FileVersion{});
    EXPECT_EQ(ReadFileVersion(path("text.dll")), FileVersion{});
    EXPECT_THROW(ReadFileVersion(path("absent.dll")), FileSystemError);
}

TEST(FileVersionTest, TextJoinsTheFourNumbers) {
    EXPECT_EQ((FileVersion{78, 3, 9, 0}).ToText(), u"78.3.9.0");
    EXPECT_EQ((FileVersion{65535, 0, 3904, 108}).ToText(), u"65535.0.3904.108");
}

}  // namespace
}  // namespace quillmoor
