#include "startup/engine_distribution_note.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/utf.h"
#include "startup/engine_layout.h"

namespace quillmoor {
namespace {

using ::testing::HasSubstr;

TEST(EngineDistributionNote, ListsEveryFileTheStartUpChecksForAndTheOneBuild) {
    const std::string note = EngineDistributionNote();
    const EngineLayout layout = EngineLayout::Windows();
    std::size_t listed = 0;
    for (const auto& group : layout.file_groups) {
        for (const std::u16string& file : group) {
            EXPECT_THAT(note, HasSubstr("\r\n  " + Utf16ToUtf8(file) + "\r\n"));
            ++listed;
        }
    }
    for (const std::u16string& code : layout.locale_codes) {
        EXPECT_THAT(note, HasSubstr("\r\n  locales\\" + Utf16ToUtf8(code) + ".pak\r\n"));
        ++listed;
    }
    EXPECT_EQ(listed, 16u + 53u);
    EXPECT_THAT(note, HasSubstr("78.3.9.0"));
    EXPECT_THAT(note, HasSubstr("32-bit"));
    // Read on Windows: every line ends with CR LF.
    for (std::size_t at = note.find('\n'); at != std::string::npos; at = note.find('\n', at + 1)) {
        ASSERT_GT(at, 0u);
        EXPECT_EQ(note[at - 1], '\r') << at;
    }
}

}  // namespace
}  // namespace quillmoor
