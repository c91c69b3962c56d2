#include "cli/whole_number.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillmoor::cli {
namespace {

TEST(WholeNumberTest, TakesPlainDigitsOnly) {
    struct Case {
        std::string_view text;
        std::optional<long long> value;
    };
    const Case cases[] = {
        {"0", 0},
        {"007", 7},
        {"1234", 1234},
        {"", std::nullopt},
        {"-1", std::nullopt},
        {"+1", std::nullopt},
        {" 1", std::nullopt},
        {"1 ", std::nullopt},
        {"1x", std::nullopt},
        {"1.5", std::nullopt},
        {"0x10", std::nullopt},
    };
    for (const Case& entry : cases) {
        EXPECT_EQ(WholeNumber<long long>(entry.text), entry.value) << entry.text;
    }
}

// What fits depends on the type asked for: the worker lines read task numbers as size_t.
TEST(WholeNumberTest, RefusesWhatDoesNotFitTheType) {
    const std::string largest = std::to_string(SIZE_MAX);
    EXPECT_EQ(WholeNumber<std::size_t>(largest), SIZE_MAX);
    std::string one_more = largest;
    ++one_more.back();  // SIZE_MAX ends in 5 on every size
    EXPECT_EQ(WholeNumber<std::size_t>(one_more), std::nullopt);
    EXPECT_EQ(WholeNumber<long long>("9223372036854775807"), 9223372036854775807LL);
    EXPECT_EQ(WholeNumber<long long>("9223372036854775808"), std::nullopt);
}

}  // namespace
}  // namespace quillmoor::cli
