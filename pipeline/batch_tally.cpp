#include "pipeline/batch_tally.h"

#include <string>

#include "platform/utf.h"

namespace quillmoor {

std::u16string BatchTally::Summary() const {
    const auto line = [](std::string_view label, int count) {
        return Utf8ToUtf16(std::string(label) + std::to_string(count));
    };
    std::u16string text = line("Page-languages stored: ", Count(PageOutcome::kStored));
    text += u"\n" + line("Skipped (no place for the widget): ", Count(PageOutcome::kSkipped));
    text += u"\n" +
            line("Not captured (the page sent nothing back): ", Count(PageOutcome::kNotCaptured));
    return text;
}

}  // namespace quillmoor
