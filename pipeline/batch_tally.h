// What the page-languages of one batch came to.
#pragma once

#include <array>
#include <string>

#include "pipeline/page_outcome.h"

namespace quillmoor {

class BatchTally {
  public:
    // Counts one page-language.
    void Add(PageOutcome outcome) { ++counts_[static_cast<std::size_t>(outcome)]; }
    int Count(PageOutcome outcome) const { return counts_[static_cast<std::size_t>(outcome)]; }

    // The lines shown below "Translate Done!": how many page-languages were stored, skipped
    // and not captured (and not translated, when there were any), each on a line of its own.
    std::u16string Summary() const;

  private:
    static constexpr std::size_t kOutcomes = static_cast<std::size_t>(PageOutcome::kFailed) + 1;
    std::array<int, kOutcomes> counts_{};
};

}  // namespace quillmoor
