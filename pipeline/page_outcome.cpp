#include "pipeline/page_outcome.h"

namespace quillmoor {

std::string_view PageOutcomeName(PageOutcome outcome) {
    switch (outcome) {
        case PageOutcome::kStored:
            return "stored";
        case PageOutcome::kSkipped:
            return "skipped";
        case PageOutcome::kNotCaptured:
            return "not captured";
        case PageOutcome::kNotTranslated:
            return "not translated";
        case PageOutcome::kCancelled:
            return "cancelled";
        case PageOutcome::kFailed:
            return "failed";
    }
    return "unknown";
}

}  // namespace quillmoor
