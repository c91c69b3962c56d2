// A browser of the scripted engine (cef_browser_t), its frames (cef_frame_t) and its host
// (cef_browser_host_t). A browser shows one document (see WidgetPage) in its main frame;
// the frames the widget adds are its other frames. Every change to the document and every
// call of the client's handlers happens on the engine's loop thread; the objects answer
// questions (identifier, address, validity, frames) on any thread.
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

class Browser : public EngineObject<cef_browser_t> {
  public:
    Browser(int identifier, bool popup, HeldReference<cef_client_t> client);
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
    void ReadDocument(const EngineObjectPtr<Frame>& frame, HeldReference<cef_string_visitor_t> visitor,
                      bool text);
    // Asks the client whether it may close (there is no window to wait for: the answer
    // changes nothing), tells it the browser closes, and lets go of everything.
    void Close();
    // Everything becomes invalid and nobody is told (the engine shuts down).
    void Invalidate();

    // ---- Any thread ----
    bool IsValid() const { return valid_.load(); }
    int Identifier() const { return identifier_; }
    bool IsPopup() const { return popup_; }
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
    const bool popup_;
    std::atomic<bool> valid_{true};
    std::atomic<bool> loading_{false};
    bool closing_ = false;  // loop thread

    // Loop thread only.
    WidgetPage page_;
    int generation_ = 0;  // counts the main frame's loads

    mutable std::mutex mutex_;  // guards what follows
    HeldReference<cef_client_t> client_;
    EngineObjectPtr<Frame> main_frame_;
    std::vector<EngineObjectPtr<Frame>> children_;
    cef_int64 main_frame_identifier_ = 0;
};

class Frame : public EngineObject<cef_frame_t> {
  public:
    Frame(EngineObjectPtr<Browser> browser, cef_int64 identifier, bool main, std::u16string url,
          std::u16string name, std::u16string document);
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

class BrowserHost : public EngineObject<cef_browser_host_t> {
  public:
    explicit BrowserHost(EngineObjectPtr<Browser> browser);
    ~BrowserHost() override;

  private:
    void FillTable();

    const EngineObjectPtr<Browser> browser_;
};

}  // namespace quillmoor::scripted_engine
