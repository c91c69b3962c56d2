// A browser of the scripted engine (cef_browser_t). It shows one document (see WidgetPage)
// in its main frame; the frames the widget adds are its other frames (see Frame). Every
// change to the document and every call of the client's handlers happens on the engine's
// loop thread; the browser answers questions (identifier, validity, frames) on any thread.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "engine/cef_capi.h"
#include "engine/engine_object.h"
#include "engine/held_reference.h"
#include "tests/win/scripted_engine/library/widget_page.h"

namespace quillmoor::scripted_engine {

class Frame;

// Whom a browser was made for.
enum class BrowserKind {
    kRequested,  // the program asked for it
    kPopup,      // a page opened it and the client let it open
};

// What of a document a reading hands over.
enum class DocumentPart { kMarkup, kText };

class Browser : public EngineObject<cef_browser_t> {
  public:
    Browser(int identifier, BrowserKind kind, HeldReference<cef_client_t> client);
    ~Browser() override;

    // ---- Loop thread ----
    // Tells the client's life-span handler that the browser exists.
    void Created();
    // The main frame loads url (an address, or an absolute path of a file).
    void Load(const std::u16string& url);
    // Runs code in frame: the program's pick scripts click in the widget's menu (the
    // widget's work follows in a task of its own, after the click has returned), and
    // window.open('url', ...) asks the client's life-span handler for a new window.
    // Every other script does nothing.
    void RunScript(const EngineObjectPtr<Frame>& frame, const std::u16string& code);
    // Hands the document (its markup, or its text) of frame to visitor, whose reference
    // it takes over; a frame that is no longer valid releases the visitor unvisited.
    void ReadDocument(const EngineObjectPtr<Frame>& frame,
                      HeldReference<cef_string_visitor_t> visitor, DocumentPart part);
    // Asks the client whether it may close (there is no window to wait for: the answer
    // changes nothing), tells it the browser closes, and lets go of everything.
    void Close();
    // Everything becomes invalid and nobody is told (the engine shuts down).
    void Invalidate();

    // ---- Any thread ----
    bool IsValid() const { return valid_.load(); }
    int Identifier() const { return identifier_; }
    bool IsPopup() const { return kind_ == BrowserKind::kPopup; }
    bool IsLoading() const { return loading_.load(); }
    HeldReference<cef_client_t> Client() const;
    EngineObjectPtr<Frame> MainFrame() const;
    // The main frame first, then the others in the order they came.
    std::vector<EngineObjectPtr<Frame>> Frames() const;
    EngineObjectPtr<Frame> FrameByIdentifier(cef_int64 identifier) const;
    EngineObjectPtr<Frame> FrameByName(const std::u16string& name) const;
    // Asks the loop thread to close the browser.
    void PostClose();

  private:
    void FillTable();
    void Translate(const std::u16string& code, int generation);
    void AskForWindow(const EngineObjectPtr<Frame>& frame, const WindowOpenCall& call);
    EngineObjectPtr<Frame> AddChildFrame(const std::u16string& url, const std::u16string& name,
                                         const std::u16string& document);
    void DropChildFrames();
    // The address of a text the program gave (an absolute path becomes a file address),
    // and an address relative to the main frame's.
    std::u16string ResolvedAddress(const std::u16string& text) const;

    void NotifyLoadingState(bool loading);
    void NotifyLoadStart(const EngineObjectPtr<Frame>& frame);
    void NotifyLoadEnd(const EngineObjectPtr<Frame>& frame, int status);
    void NotifyLoadError(const EngineObjectPtr<Frame>& frame, int error, const std::u16string& text,
                         const std::u16string& url);

    const int identifier_;
    const BrowserKind kind_;
    std::atomic<bool> valid_{true};
    std::atomic<bool> loading_{false};

    // Loop thread only.
    bool closing_ = false;
    WidgetPage page_;
    int generation_ = 0;  // counts the main frame's loads

    mutable std::mutex mutex_;  // guards what follows
    HeldReference<cef_client_t> client_;
    EngineObjectPtr<Frame> main_frame_;
    std::vector<EngineObjectPtr<Frame>> children_;
    cef_int64 main_frame_identifier_ = 0;
};

}  // namespace quillmoor::scripted_engine
