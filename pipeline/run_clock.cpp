#include "pipeline/run_clock.h"

namespace quillmoor {

std::int64_t ElapsedWholeSeconds(Timestamp earlier, Timestamp later) {
    std::int64_t milliseconds = (later - earlier).count();
    if (milliseconds < 0) {
        milliseconds = -milliseconds;
    }
    return milliseconds / 1000;
}

}  // namespace quillmoor
