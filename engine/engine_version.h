// The engine build whose C interface this folder declares: the one build the program is
// made for, and the one the Linux engine library carries out.
#pragma once

namespace quillmoor {

struct EngineBuild {
    int major;
    int minor;
    int patch;
};

inline constexpr EngineBuild kEngineBuild{78, 3, 9};

}  // namespace quillmoor
