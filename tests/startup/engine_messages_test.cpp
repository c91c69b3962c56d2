// The exact texts shown when the engine cannot be started.
#include <gtest/gtest.h>

#include "startup/engine_messages.h"

namespace quillmoor {
namespace {

struct MessageCase {
    const char* label;
    std::u16string actual;
    std::u16string expected;
};

std::vector<MessageCase> Cases() {
    const EngineMessages dll(u"libcef.dll");
    const EngineMessages so(u"libcef.so");
    const std::u16string use_build = u"Use only the engine build that this program is made for.";
    return {
        {"missing files, two listed", dll.MissingFiles(u"libcef.dll\r\nlocales\\am.pak\r\n"),
         u"CEF binaries missing !\r\n\r\nThe missing files are :\r\nlibcef.dll\r\nlocales\\am.pak"},
        {"missing files, list trimmed of blanks and breaks",
         dll.MissingFiles(u" \r\n icudtl.dat\r\n\r\n"),
         u"CEF binaries missing !\r\n\r\nThe missing files are :\r\nicudtl.dat"},
        {"missing files, none known", dll.MissingFiles(u""), u"CEF binaries missing !"},
        {"missing files, only blanks", dll.MissingFiles(u"\r\n \r\n"), u"CEF binaries missing !"},
        {"wrong version with the version read", dll.WrongVersion(FileVersion{78, 3, 9, 1}),
         u"Unsupported CEF version !\r\n\r\n" + use_build +
             u"\r\n\r\nExpected libcef.dll version : 78.3.9.0\r\nFound libcef.dll version : "
             u"78.3.9.1"},
        {"wrong version, no version record", dll.WrongVersion(FileVersion{}),
         u"Unsupported CEF version !\r\n\r\n" + use_build +
             u"\r\n\r\nExpected libcef.dll version : 78.3.9.0\r\nFound libcef.dll version : "
             u"0.0.0.0"},
        {"wrong version, large numbers", so.WrongVersion(FileVersion{65535, 0, 3904, 108}),
         u"Unsupported CEF version !\r\n\r\n" + use_build +
             u"\r\n\r\nExpected libcef.so version : 78.3.9.0\r\nFound libcef.so version : "
             u"65535.0.3904.108"},
        {"wrong version, version unreadable", dll.WrongVersion(std::nullopt),
         u"Unsupported CEF version !\r\n\r\n" + use_build},
        {"64-bit library", dll.WrongBitness(64),
         u"Wrong CEF binaries !\r\n\r\nUse the 64 bit CEF binaries with 64 bits applications "
         u"only."},
        {"32-bit wording", so.WrongBitness(32),
         u"Wrong CEF binaries !\r\n\r\nUse the 32 bit CEF binaries with 32 bits applications "
         u"only."},
        {"other processor", dll.OtherProcessor(), u"Unknown CEF binaries !\r\n\r\n" + use_build},
        {"load failure", dll.LoadFailed(126),
         u"Error loading libcef.dll\r\n\r\nError code : 0x0000007E"},
        {"load failure, full width code", so.LoadFailed(0xC000007Bu),
         u"Error loading libcef.so\r\n\r\nError code : 0xC000007B"},
        {"missing entry point", dll.MissingEntryPoint(),
         u"Unsupported CEF version !\r\n\r\n" + use_build},
    };
}

TEST(EngineMessagesTest, TextsAreExact) {
    for (const MessageCase& c : Cases()) {
        EXPECT_EQ(c.actual, c.expected) << c.label;
    }
}

TEST(EngineMessagesTest, EveryLineBreakIsCrLf) {
    for (const MessageCase& c : Cases()) {
        for (size_t i = 0; i < c.actual.size(); ++i) {
            if (c.actual[i] == u'\n') {
                ASSERT_TRUE(i > 0 && c.actual[i - 1] == u'\r') << c.label << " at " << i;
            }
            if (c.actual[i] == u'\r') {
                ASSERT_TRUE(i + 1 < c.actual.size() && c.actual[i + 1] == u'\n') << c.label;
            }
        }
    }
}

}  // namespace
}  // namespace quillmoor
