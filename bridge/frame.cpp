#include "bridge/frame.h"

#include <unistd.h>

#include <cstdlib>

#include "bridge/browser.h"
#include "bridge/document_reader.h"
#include "bridge/engine_strings.h"
#include "bridge/load_address.h"
#include "platform/utf.h"

namespace quillmoor::bridge {

namespace {

using nlohmann::json;

// Scripts run for the program live in a group of their own, dropped after every run, so
// that what they leave behind is not kept alive by the DevTools connection.
constexpr const char* kScriptObjectGroup = "quillmoor-script";

}  // namespace

Frame::Frame(EngineObjectPtr<Browser> browser, long long identifier, std::string devtools_id,
             FrameKind kind, std::string session)
    : browser_(std::move(browser)),
      identifier_(identifier),
      devtools_id_(std::move(devtools_id)),
      main_(kind == FrameKind::kMain),
      session_(std::move(session)),
      session_root_(main_) {
    FillTable();
}

bool Frame::IsValid() const {
    return valid_.load() && browser_->IsValid();
}

std::string Frame::Session() const {
    std::lock_guard lock(mutex_);
    return session_;
}

bool Frame::IsSessionRoot() const {
    std::lock_guard lock(mutex_);
    return session_root_;
}

std::string Frame::ParentId() const {
    std::lock_guard lock(mutex_);
    return parent_id_;
}

std::string Frame::Name() const {
    std::lock_guard lock(mutex_);
    return name_;
}

std::string Frame::Url() const {
    std::lock_guard lock(mutex_);
    return url_;
}

void Frame::Attached(std::string parent_id) {
    browser_->Chromium().Thread().Owner().Check();
    std::lock_guard lock(mutex_);
    if (!parent_id.empty()) {
        parent_id_ = std::move(parent_id);
    }
}

void Frame::Navigated(std::string url, std::string name) {
    browser_->Chromium().Thread().Owner().Check();
    std::lock_guard lock(mutex_);
    url_ = std::move(url);
    name_ = std::move(name);
}

void Frame::NavigatedWithinDocument(std::string url) {
    browser_->Chromium().Thread().Owner().Check();
    std::lock_guard lock(mutex_);
    url_ = std::move(url);
}

void Frame::MovedToSession(std::string session, bool session_root) {
    browser_->Chromium().Thread().Owner().Check();
    std::lock_guard lock(mutex_);
    session_ = std::move(session);
    session_root_ = main_ || session_root;
}

void Frame::Invalidate() {
    valid_ = false;
}

void Frame::RunScript(const std::string& code) const {
    if (!IsValid()) {
        return;
    }
    if (!IsSessionRoot()) {
        // A frame in its parent's process: its page context has to be named.
        browser_->RunScriptInFrame(devtools_id_, code);
        return;
    }
    EvaluateScript(browser_->Chromium().Client(), Session(), code);
}

void EvaluateScript(DevToolsClient& client, const std::string& session, const std::string& code,
                    int context) {
    json params = {{"expression", code}, {"objectGroup", kScriptObjectGroup}, {"silent", true}};
    if (context != 0) {
        params["contextId"] = context;
    }
    client.Command(session, "Runtime.evaluate", std::move(params));
    client.Command(session, "Runtime.releaseObjectGroup", {{"objectGroup", kScriptObjectGroup}});
}

void Frame::Read(DocumentPart part, cef_string_visitor_t* visitor) {
    auto held = HeldReference<cef_string_visitor_t>::Adopt(visitor);
    if (IsValid() && held) {
        ReadDocument(EngineObjectPtr<Frame>::Share(this), part, std::move(held));
    }
}

void Frame::FillTable() {
    cef_frame_t& t = Table();
    t.is_valid = [](cef_frame_t* self) { return Self<Frame>(self)->IsValid() ? 1 : 0; };
    t.undo = [](cef_frame_t* self) {
        Self<Frame>(self)->RunScript("document.execCommand('undo')");
    };
    t.redo = [](cef_frame_t* self) {
        Self<Frame>(self)->RunScript("document.execCommand('redo')");
    };
    t.cut = [](cef_frame_t* self) { Self<Frame>(self)->RunScript("document.execCommand('cut')"); };
    t.copy = [](cef_frame_t* self) {
        Self<Frame>(self)->RunScript("document.execCommand('copy')");
    };
    t.paste = [](cef_frame_t* self) {
        Self<Frame>(self)->RunScript("document.execCommand('paste')");
    };
    t.del = [](cef_frame_t* self) {
        Self<Frame>(self)->RunScript("document.execCommand('delete')");
    };
    t.select_all = [](cef_frame_t* self) {
        Self<Frame>(self)->RunScript("document.execCommand('selectAll')");
    };
    t.view_source = [](cef_frame_t*) {};  // no window to show it in
    t.get_source = [](cef_frame_t* self, cef_string_visitor_t* visitor) {
        Self<Frame>(self)->Read(DocumentPart::kMarkup, visitor);
    };
    t.get_text = [](cef_frame_t* self, cef_string_visitor_t* visitor) {
        Self<Frame>(self)->Read(DocumentPart::kText, visitor);
    };
    t.load_request = [](cef_frame_t*, cef_request_t* request) { ReleaseEngineReference(request); };
    t.load_url = [](cef_frame_t* self, const cef_string_t* url) {
        Frame* frame = Self<Frame>(self);
        frame->browser_->Navigate(AddressToLoad(Utf8Of(url)), frame->devtools_id_);
    };
    t.execute_java_script = [](cef_frame_t* self, const cef_string_t* code,
                               const cef_string_t* script_url, int /*start_line*/) {
        std::string script = Utf8Of(code);
        const std::string address = Utf8Of(script_url);
        if (!address.empty() && address.find_first_of("\r\n") == std::string::npos) {
            script += "\n//# sourceURL=" + address;
        }
        Self<Frame>(self)->RunScript(script);
    };
    t.is_main = [](cef_frame_t* self) { return Self<Frame>(self)->main_ ? 1 : 0; };
    t.is_focused = [](cef_frame_t* self) { return Self<Frame>(self)->main_ ? 1 : 0; };
    t.get_name = [](cef_frame_t* self) {
        return NewUserFreeString(Utf8ToUtf16(Self<Frame>(self)->Name()));
    };
    t.get_identifier = [](cef_frame_t* self) -> cef_int64 {
        return Self<Frame>(self)->identifier_;
    };
    t.get_parent = [](cef_frame_t* self) -> cef_frame_t* {
        Frame* frame = Self<Frame>(self);
        if (frame->main_) {
            return nullptr;
        }
        EngineObjectPtr<Frame> parent = frame->browser_->FrameByDevToolsId(frame->ParentId());
        return parent ? parent->NewReference() : nullptr;
    };
    t.get_url = [](cef_frame_t* self) {
        return NewUserFreeString(Utf8ToUtf16(Self<Frame>(self)->Url()));
    };
    t.get_browser = [](cef_frame_t* self) { return Self<Frame>(self)->browser_->NewReference(); };
    t.get_v8context = [](cef_frame_t*) -> cef_v8context_t* { return nullptr; };
    t.visit_dom = [](cef_frame_t*, cef_domvisitor_t* visitor) { ReleaseEngineReference(visitor); };
    t.create_urlrequest = [](cef_frame_t*, cef_request_t* request,
                             cef_urlrequest_client_t* client) -> cef_urlrequest_t* {
        ReleaseEngineReference(request);
        ReleaseEngineReference(client);
        return nullptr;
    };
    t.send_process_message = [](cef_frame_t*, cef_process_id_t, cef_process_message_t* message) {
        ReleaseEngineReference(message);
    };
}

}  // namespace quillmoor::bridge
