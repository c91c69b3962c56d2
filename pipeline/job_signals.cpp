#include "pipeline/job_signals.h"

#include <utility>

namespace quillmoor {

void JobSignals::OnLoadEnd(Timestamp now) {
    last_load_time_.store(Ticks(now), std::memory_order_release);
    page_loaded_.store(true, std::memory_order_release);
    if (!load_stage1_.load(std::memory_order_acquire)) {
        load_stage1_.store(true, std::memory_order_release);
    } else if (!load_stage2_.load(std::memory_order_acquire)) {
        load_stage2_.store(true, std::memory_order_release);
    } else if (!load_stage3_.load(std::memory_order_acquire)) {
        load_stage3_.store(true, std::memory_order_release);
    }
}

void JobSignals::OnMarkupDelivered(std::u16string markup, Timestamp now) {
    {
        std::lock_guard<std::mutex> hold(captured_html_lock_);
        captured_html_.swap(markup);
    }
    html_ready_.store(true, std::memory_order_release);
    html_ready_time_.store(Ticks(now), std::memory_order_release);
    // The previous markup, swapped out, is released here, outside the lock.
}

bool JobSignals::IsSet(Signal signal) const {
    switch (signal) {
        case Signal::kPageLoaded:
            return page_loaded_.load(std::memory_order_acquire);
        case Signal::kLoadStage1:
            return load_stage1_.load(std::memory_order_acquire);
        case Signal::kLoadStage2:
            return load_stage2_.load(std::memory_order_acquire);
        case Signal::kLoadStage3:
            return load_stage3_.load(std::memory_order_acquire);
        case Signal::kHtmlReady:
            return html_ready_.load(std::memory_order_acquire);
    }
    return false;
}

Timestamp JobSignals::TimeOf(Stamp stamp) const {
    const std::int64_t ticks = stamp == Stamp::kLastLoadTime
                                   ? last_load_time_.load(std::memory_order_acquire)
                                   : html_ready_time_.load(std::memory_order_acquire);
    return Timestamp(std::chrono::milliseconds(ticks));
}

std::u16string JobSignals::CapturedHtml() const {
    std::lock_guard<std::mutex> hold(captured_html_lock_);
    return captured_html_;
}

void JobSignals::ResetPageLoaded() {
    page_loaded_.store(false, std::memory_order_release);
}

void JobSignals::ResetLoadStages() {
    load_stage1_.store(false, std::memory_order_release);
    load_stage2_.store(false, std::memory_order_release);
    load_stage3_.store(false, std::memory_order_release);
}

void JobSignals::ResetHtmlReady() {
    html_ready_.store(false, std::memory_order_release);
}

void JobSignals::SetTime(Stamp stamp, Timestamp now) {
    (stamp == Stamp::kLastLoadTime ? last_load_time_ : html_ready_time_)
        .store(Ticks(now), std::memory_order_release);
}

void JobSignals::SetCapturedHtml(std::u16string markup) {
    std::lock_guard<std::mutex> hold(captured_html_lock_);
    captured_html_.swap(markup);
}

}  // namespace quillmoor
