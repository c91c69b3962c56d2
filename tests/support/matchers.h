// The GoogleTest matchers that the tests name without their namespace, and the short name of
// the file-system namespace, declared once for every test file that includes this.
#pragma once

#include <gmock/gmock.h>

#include <filesystem>

namespace quillmoor::test_support {

namespace fs = std::filesystem;

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;
using ::testing::UnorderedElementsAre;

}  // namespace quillmoor::test_support
