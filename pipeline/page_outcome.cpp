#include "pipeline/page_outcome.h"

namespace quillmoor {

std::string_view PageOutcomeName(PageOutcome outcome) {
    return NameOf(kPageOutcomeNames, outcome, "unknown");
}

}  // namespace quillmoor
