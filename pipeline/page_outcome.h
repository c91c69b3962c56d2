// What one page in one language came to. Shared by the batch, the window, the command line
// and its report.
#pragma once

#include <string_view>

#include "platform/enum_names.h"

namespace quillmoor {

enum class PageOutcome {
    kStored,         // the result file was written
    kSkipped,        // the page has no place for the widget; the browser was not used
    kNotCaptured,    // the markup never came within its limit; nothing was stored
    kNotTranslated,  // the widget did not translate the page; nothing was stored
    kCancelled,      // the user cancelled; the run stopped at once
    kFailed,         // an error ended the run (its message is reported with it)
};

// Every outcome with its short lower-case name for reports.
inline constexpr EnumName<PageOutcome> kPageOutcomeNames[] = {
    {PageOutcome::kStored, "stored"},
    {PageOutcome::kSkipped, "skipped"},
    {PageOutcome::kNotCaptured, "not captured"},
    {PageOutcome::kNotTranslated, "not translated"},
    {PageOutcome::kCancelled, "cancelled"},
    {PageOutcome::kFailed, "failed"},
};

// The outcome's name from kPageOutcomeNames.
std::string_view PageOutcomeName(PageOutcome outcome);

}  // namespace quillmoor
