// A frame of a scripted engine browser (cef_frame_t): the main frame, whose document is the
// browser's, or a frame the widget added, with a document of its own. Its questions are
// answered on any thread; what it is asked to do runs on the engine's loop thread.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "engine/cef_capi.h"
#include "engine/engine_object.h"
#include "tests/win/scripted_engine/library/scripted_browser.h"

namespace quillmoor::scripted_engine {

// Whether a frame is the top frame of its browser.
enum class FrameKind { kMain, kChild };

class Frame : public EngineObject<cef_frame_t> {
  public:
    Frame(EngineObjectPtr<Browser> browser, cef_int64 identifier, FrameKind kind,
          std::u16string url, std::u16string name, std::u16string document);
    ~Frame() override;

    bool IsValid() const { return valid_.load() && browser_->IsValid(); }
    bool IsMain() const { return main_; }
    cef_int64 Identifier() const { return identifier_; }
    Browser& Owner() const { return *browser_; }
    std::u16string Url() const;
    void SetUrl(std::u16string url);
    std::u16string Name() const;
    // The document of a frame other than the main frame (the main frame's is the browser's).
    std::u16string Document() const;
    void Invalidate() { valid_ = false; }

  private:
    void FillTable();

    const EngineObjectPtr<Browser> browser_;
    const cef_int64 identifier_;
    const bool main_;
    std::atomic<bool> valid_{true};
    mutable std::mutex mutex_;  // guards what follows
    std::u16string url_;
    std::u16string name_;
    std::u16string document_;
};

}  // namespace quillmoor::scripted_engine
