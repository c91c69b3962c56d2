#include "bridge/document_reader.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "bridge/browser.h"
#include "bridge/frame.h"
#include "engine/engine_string.h"
#include "platform/utf.h"

namespace quillmoor::bridge {

namespace {

using nlohmann::json;

constexpr const char* kWorldName = "quillmoor-document-reader";
// After a failed try the next comes this much later, twice as late after every further
// failure, up to the longest delay.
constexpr std::chrono::milliseconds kFirstRetryDelay{20};
constexpr std::chrono::milliseconds kLongestRetryDelay{250};
// A try without any answer for this long is joined by the next one (whichever answers
// first counts).
constexpr std::chrono::milliseconds kTryPatience{3000};
// No more tries after this long: the visitor is released unvisited.
constexpr std::chrono::milliseconds kReadLimit{30000};

const std::string& TextScript() {
    static const std::string script =
        "(() => document.documentElement ? document.documentElement.innerText : '')()";
    return script;
}

// One request for a document, from the first try to its answer. Engine thread only.
class DocumentRead : public std::enable_shared_from_this<DocumentRead> {
  public:
    DocumentRead(EngineObjectPtr<Frame> frame, DocumentPart part,
                 HeldReference<cef_string_visitor_t> visitor)
        : frame_(std::move(frame)),
          part_(part),
          visitor_(std::move(visitor)),
          started_(std::chrono::steady_clock::now()) {}

    void Try();

  private:
    DevToolsClient& Client() const { return frame_->Owner().Chromium().Client(); }
    void ReadIn(const std::string& session, const json& context, int attempt);
    void ReadMarkup(const std::string& session, const std::string& document, int attempt);
    void Failed(int attempt);
    void Deliver(const std::string& text);
    void GiveUp();

    const EngineObjectPtr<Frame> frame_;
    const DocumentPart part_;
    HeldReference<cef_string_visitor_t> visitor_;  // until the visit or the end of the tries
    const std::chrono::steady_clock::time_point started_;
    std::chrono::milliseconds retry_delay_ = kFirstRetryDelay;
    int attempt_ = 0;  // the latest try
    bool done_ = false;
};

void DocumentRead::Try() {
    if (done_) {
        return;
    }
    if (!frame_->IsValid() || std::chrono::steady_clock::now() - started_ > kReadLimit) {
        GiveUp();
        return;
    }
    const int attempt = ++attempt_;
    const std::string session = frame_->Session();
    auto self = shared_from_this();
    Client().Command(session, "Page.createIsolatedWorld",
                     {{"frameId", frame_->DevToolsId()}, {"worldName", kWorldName}},
                     [self, session, attempt](bool ok, const json& world) {
                         if (!ok || !world.contains("executionContextId")) {
                             self->Failed(attempt);
                             return;
                         }
                         self->ReadIn(session, world["executionContextId"], attempt);
                     });
    frame_->Owner().Chromium().Thread().PostDelayed(kTryPatience, [self, attempt] {
        if (self->attempt_ == attempt) {
            self->Failed(attempt);
        }
    });
}

void DocumentRead::ReadIn(const std::string& session, const json& context, int attempt) {
    if (done_) {
        return;
    }
    auto self = shared_from_this();
    if (part_ == DocumentPart::kText) {
        Client().Command(
            session, "Runtime.evaluate",
            {{"expression", TextScript()},
             {"contextId", context},
             {"returnByValue", true},
             {"silent", true}},
            [self, attempt](bool ok, const json& evaluated) {
                const json* value = nullptr;
                if (ok && !evaluated.contains("exceptionDetails") && evaluated.contains("result")) {
                    auto found = evaluated["result"].find("value");
                    if (found != evaluated["result"].end() && found->is_string()) {
                        value = &*found;
                    }
                }
                if (value == nullptr) {
                    self->Failed(attempt);
                    return;
                }
                self->Deliver(value->get_ref<const std::string&>());
            });
        return;
    }
    // The markup: Chromium serialises the document node itself, as it does for its own
    // "save page": the XML declaration and processing instructions of an XML document
    // included.
    Client().Command(
        session, "Runtime.evaluate",
        {{"expression", "document"}, {"contextId", context}, {"silent", true}},
        [self, session, attempt](bool ok, const json& evaluated) {
            std::string document;
            if (ok && !evaluated.contains("exceptionDetails") && evaluated.contains("result")) {
                document = evaluated["result"].value("objectId", "");
            }
            if (document.empty()) {
                self->Failed(attempt);
                return;
            }
            self->ReadMarkup(session, document, attempt);
        });
}

void DocumentRead::ReadMarkup(const std::string& session, const std::string& document,
                              int attempt) {
    auto self = shared_from_this();
    DevToolsClient& client = Client();
    client.Command(session, "DOM.getOuterHTML", {{"objectId", document}},
                   [self, attempt](bool ok, const json& markup) {
                       auto found = markup.find("outerHTML");
                       if (!ok || found == markup.end() || !found->is_string()) {
                           self->Failed(attempt);
                           return;
                       }
                       self->Deliver(found->get_ref<const std::string&>());
                   });
    client.Command(session, "Runtime.releaseObject", {{"objectId", document}});
}

void DocumentRead::Failed(int attempt) {
    // Only the latest try goes on; an earlier one that fails late changes nothing.
    if (done_ || attempt != attempt_) {
        return;
    }
    if (!frame_->IsValid()) {
        GiveUp();
        return;
    }
    ++attempt_;  // no later failure of this try counts either
    auto self = shared_from_this();
    frame_->Owner().Chromium().Thread().PostDelayed(retry_delay_, [self] { self->Try(); });
    retry_delay_ = std::min(retry_delay_ * 2, kLongestRetryDelay);
}

void DocumentRead::Deliver(const std::string& text) {
    if (done_) {
        return;
    }
    done_ = true;
    HeldReference<cef_string_visitor_t> visitor = std::move(visitor_);
    const std::u16string document = Utf8ToUtf16(text);
    cef_string_t string = EngineStringView(document);
    if (visitor->visit != nullptr) {
        visitor->visit(visitor.get(), &string);
    }
}

void DocumentRead::GiveUp() {
    done_ = true;
    visitor_.Reset();
}

}  // namespace

void ReadDocument(EngineObjectPtr<Frame> frame, DocumentPart part,
                  HeldReference<cef_string_visitor_t> visitor) {
    if (!frame || !visitor) {
        return;
    }
    auto read = std::make_shared<DocumentRead>(frame, part, std::move(visitor));
    frame->Owner().Post([read] { read->Try(); });
}

}  // namespace quillmoor::bridge
