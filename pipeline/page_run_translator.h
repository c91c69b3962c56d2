// The page run behind the batch's PageTranslator.
#pragma once

#include "pipeline/page_run.h"
#include "pipeline/page_translator.h"

namespace quillmoor {

class PageRunTranslator final : public PageTranslator {
  public:
    // run must outlive this object.
    explicit PageRunTranslator(PageRun& run) : run_(run) {}

    PageRunResult TranslatePage(std::size_t language_index, const SourceNames& names,
                                std::u16string_view result_root,
                                LanguageProgress& progress) override {
        return run_.TranslatePage(language_index, names, result_root, progress);
    }
    void Pump() override { run_.Pump(); }
    PollEnd PollStep() override { return run_.PollStep(); }

  private:
    PageRun& run_;  // GUI thread
};

}  // namespace quillmoor
