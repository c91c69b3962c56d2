// What one page in one language came to. Shared by the batch, the window, the command line
// and its report.
#pragma once

#include <string_view>

namespace quillmoor {

enum class PageOutcome {
    kStored,         // the result file was written
    kSkipped,        // the page has no place for the widget; the browser was not used
    kNotCaptured,    // the markup never came within its limit; nothing was stored
    kNotTranslated,  // stored, but the widget did not translate the page
    kCancelled,      // the user cancelled; the run stopped at once
    kFailed,         // an error ended the run (its message is reported with it)
};

// A short lower-case name for reports: "stored", "skipped", "not captured",
// "not translated", "cancelled", "failed".
std::string_view PageOutcomeName(PageOutcome outcome);

}  // namespace quillmoor
