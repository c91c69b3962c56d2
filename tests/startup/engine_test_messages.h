// Texts of the start-up's messages that several start-up tests expect, and the name
// they use for the start-up's status.
#pragma once

#include <string>

#include "startup/tcef_aplication_status.h"

namespace quillmoor::test_support {

using Status = TCefAplicationStatus;

inline const std::u16string kUseBuild = u"Use only the engine build that this program is made for.";

// What a Windows engine library made for programs of the other word size is told: the
// 64-bit library in the 32-bit program that ships, the 32-bit one in the 64-bit test build.
#if defined(_WIN64)
inline const std::u16string kOtherBitsMessage =
    u"Wrong CEF binaries !\r\n\r\nUse the 32 bit CEF binaries with 32 bits applications only.";
#else
inline const std::u16string kOtherBitsMessage =
    u"Wrong CEF binaries !\r\n\r\nUse the 64 bit CEF binaries with 64 bits applications only.";
#endif

}  // namespace quillmoor::test_support
