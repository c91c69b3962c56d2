// The page run as the batch uses it.
#pragma once

#include <cstddef>
#include <string_view>

#include "pipeline/page_run.h"

namespace quillmoor {

// Translating one page in one language, and the two ways of keeping the window alive that
// the batch shares with the page run. The program fills it with PageRunTranslator over the
// page run; the tests with a scripted run. Called on the GUI thread.
class PageTranslator {
  public:
    virtual ~PageTranslator() = default;

    // See PageRun::TranslatePage. Errors of the file system are passed on.
    virtual PageRunResult TranslatePage(std::size_t language_index, const SourceNames& names,
                                        std::u16string_view result_root,
                                        LanguageProgress& progress) = 0;
    // See PageRun::Pump.
    virtual void Pump() = 0;
    // See PageRun::PollStep.
    virtual PollEnd PollStep() = 0;
};

}  // namespace quillmoor
