// How long the page run waits for a page to settle.
#pragma once

#include <chrono>

namespace quillmoor {

enum class WaitTiming {
    // Every wait runs its full course: a quiet wait lasts 28 s after the last load end,
    // settling 4.5 s. The window program always runs this way.
    kFull,
    // A wait ends as soon as the page is still: no load end and no change to the document
    // for the settle period. It never lasts longer than the full wait would.
    kFast,
};

// The settle period of the fast timing: how long a page must stay still. The widget changes
// the document within one round trip of its own requests (its script and menu, then each
// batch of translated text); 400 ms without a load end or a change, sampled every 100 ms,
// outlasts such a round trip to a nearby server several times over. A slower network wants a
// longer period, which the command line lets the user set.
inline constexpr std::chrono::milliseconds kDefaultSettlePeriod{400};
// How often the fast timing samples the document.
inline constexpr std::chrono::milliseconds kDocumentSampleInterval{100};

struct RunTimings {
    WaitTiming waits = WaitTiming::kFull;
    std::chrono::milliseconds settle_period = kDefaultSettlePeriod;
};

}  // namespace quillmoor
