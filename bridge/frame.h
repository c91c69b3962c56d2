// A frame of a browser (cef_frame_t): the main frame or an iframe, known to Chromium by
// its DevTools frame id and reached through the DevTools session that hosts it.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "bridge/document_reader.h"
#include "engine/cef_capi.h"
#include "engine/engine_object.h"

namespace quillmoor::bridge {

class Browser;

// Whether a frame is the top frame of its browser.
enum class FrameKind { kMain, kChild };

class Frame : public EngineObject<cef_frame_t> {
  public:
    Frame(EngineObjectPtr<Browser> browser, long long identifier, std::string devtools_id,
          FrameKind kind, std::string session);

    // Any thread.
    bool IsValid() const;
    bool IsMain() const { return main_; }
    long long Identifier() const { return identifier_; }
    const std::string& DevToolsId() const { return devtools_id_; }
    Browser& Owner() const { return *browser_; }
    std::string Session() const;
    // True when the frame is the top frame of its session (the page, or an out-of-process
    // iframe): there a script runs without naming a context.
    bool IsSessionRoot() const;
    std::string ParentId() const;
    std::string Name() const;
    std::string Url() const;

    // Engine thread: what Chromium reported.
    void Attached(std::string parent_id);
    void Navigated(std::string url, std::string name);
    void NavigatedWithinDocument(std::string url);
    void MovedToSession(std::string session, bool session_root);
    void Invalidate();

    // Runs code in the frame's own page context; nothing comes back, errors included.
    // Only where a script runs without naming a context (IsSessionRoot).
    void RunScript(const std::string& code) const;

  private:
    void FillTable();
    // Hands the document to visitor (whose reference it takes over), if the frame is valid.
    void Read(DocumentPart part, cef_string_visitor_t* visitor) const;

    EngineObjectPtr<Browser> browser_;
    const long long identifier_;
    const std::string devtools_id_;
    const bool main_;
    std::atomic<bool> valid_{true};

    mutable std::mutex mutex_;  // guards what follows
    std::string session_;
    bool session_root_;
    std::string parent_id_;
    std::string name_;
    std::string url_;
};

}  // namespace quillmoor::bridge
