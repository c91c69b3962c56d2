#include "tests/win/scripted_engine/library/scripted_frame.h"

#include <string>
#include <utility>

#include "engine/engine_string.h"
#include "tests/win/scripted_engine/library/callback.h"
#include "tests/win/scripted_engine/library/engine_strings.h"
#include "tests/win/scripted_engine/library/scripted_engine.h"

namespace quillmoor::scripted_engine {

// ---- Frame ------------------------------------------------------------------------------------

Frame::Frame(EngineObjectPtr<Browser> browser, cef_int64 identifier, FrameKind kind,
             std::u16string url, std::u16string name, std::u16string document)
    : browser_(std::move(browser)),
      identifier_(identifier),
      main_(kind == FrameKind::kMain),
      url_(std::move(url)),
      name_(std::move(name)),
      document_(std::move(document)) {
    FillTable();
}

Frame::~Frame() = default;

std::u16string Frame::Url() const {
    std::lock_guard lock(mutex_);
    return url_;
}

void Frame::SetUrl(std::u16string url) {
    std::lock_guard lock(mutex_);
    url_ = std::move(url);
}

std::u16string Frame::Name() const {
    std::lock_guard lock(mutex_);
    return name_;
}

std::u16string Frame::Document() const {
    std::lock_guard lock(mutex_);
    return document_;
}

void Frame::FillTable() {
    cef_frame_t& t = Table();
    t.is_valid = [](cef_frame_t* self)
                     SCRIPTED_CALLBACK { return Self<Frame>(self)->IsValid() ? 1 : 0; };
    // Editing commands have nothing to act on in a page nobody sees.
    t.undo = [](cef_frame_t*) SCRIPTED_CALLBACK {};
    t.redo = [](cef_frame_t*) SCRIPTED_CALLBACK {};
    t.cut = [](cef_frame_t*) SCRIPTED_CALLBACK {};
    t.copy = [](cef_frame_t*) SCRIPTED_CALLBACK {};
    t.paste = [](cef_frame_t*) SCRIPTED_CALLBACK {};
    t.del = [](cef_frame_t*) SCRIPTED_CALLBACK {};
    t.select_all = [](cef_frame_t*) SCRIPTED_CALLBACK {};
    t.view_source = [](cef_frame_t*) SCRIPTED_CALLBACK {};
    t.get_source = [](cef_frame_t* self, cef_string_visitor_t* visitor) SCRIPTED_CALLBACK {
        auto frame = EngineObjectPtr<Frame>::Share(Self<Frame>(self));
        auto held = HeldReference<cef_string_visitor_t>::Adopt(visitor);
        Engine::Get().Loop().Post(
            [frame, held] { frame->Owner().ReadDocument(frame, held, DocumentPart::kMarkup); });
    };
    t.get_text = [](cef_frame_t* self, cef_string_visitor_t* visitor) SCRIPTED_CALLBACK {
        auto frame = EngineObjectPtr<Frame>::Share(Self<Frame>(self));
        auto held = HeldReference<cef_string_visitor_t>::Adopt(visitor);
        Engine::Get().Loop().Post(
            [frame, held] { frame->Owner().ReadDocument(frame, held, DocumentPart::kText); });
    };
    t.load_request = [](cef_frame_t*, cef_request_t* request)
                         SCRIPTED_CALLBACK { ReleaseEngineReference(request); };
    t.load_url = [](cef_frame_t* self, const cef_string_t* url) SCRIPTED_CALLBACK {
        auto frame = EngineObjectPtr<Frame>::Share(Self<Frame>(self));
        if (!frame->IsMain()) {
            return;  // the widget's frames load what the widget gives them
        }
        const std::u16string address = FromEngineString(url);
        Engine::Get().Loop().Post([frame, address] {
            if (frame->IsValid()) {
                frame->Owner().Load(address);
            }
        });
    };
    t.execute_java_script = [](cef_frame_t* self, const cef_string_t* code, const cef_string_t*,
                               int) SCRIPTED_CALLBACK {
        auto frame = EngineObjectPtr<Frame>::Share(Self<Frame>(self));
        const std::u16string script = FromEngineString(code);
        Engine::Get().Loop().Post([frame, script] { frame->Owner().RunScript(frame, script); });
    };
    t.is_main = [](cef_frame_t* self)
                    SCRIPTED_CALLBACK { return Self<Frame>(self)->IsMain() ? 1 : 0; };
    t.is_focused = [](cef_frame_t* self)
                       SCRIPTED_CALLBACK { return Self<Frame>(self)->IsMain() ? 1 : 0; };
    t.get_name = [](cef_frame_t* self)
                     SCRIPTED_CALLBACK { return NewUserFreeString(Self<Frame>(self)->Name()); };
    t.get_identifier = [](cef_frame_t* self)
                           SCRIPTED_CALLBACK { return Self<Frame>(self)->Identifier(); };
    t.get_parent = [](cef_frame_t* self) SCRIPTED_CALLBACK -> cef_frame_t* {
        Frame* frame = Self<Frame>(self);
        return frame->IsMain() ? nullptr : frame->Owner().MainFrame()->NewReference();
    };
    t.get_url = [](cef_frame_t* self)
                    SCRIPTED_CALLBACK { return NewUserFreeString(Self<Frame>(self)->Url()); };
    t.get_browser = [](cef_frame_t* self)
                        SCRIPTED_CALLBACK { return Self<Frame>(self)->Owner().NewReference(); };
    t.get_v8context = [](cef_frame_t*) SCRIPTED_CALLBACK -> cef_v8context_t* { return nullptr; };
    t.visit_dom = [](cef_frame_t*, cef_domvisitor_t* visitor)
                      SCRIPTED_CALLBACK { ReleaseEngineReference(visitor); };
    t.create_urlrequest = [](cef_frame_t*, cef_request_t* request, cef_urlrequest_client_t* client)
                              SCRIPTED_CALLBACK -> cef_urlrequest_t* {
        ReleaseEngineReference(request);
        ReleaseEngineReference(client);
        return nullptr;
    };
    t.send_process_message = [](cef_frame_t*, cef_process_id_t, cef_process_message_t* message)
                                 SCRIPTED_CALLBACK { ReleaseEngineReference(message); };
}

}  // namespace quillmoor::scripted_engine
