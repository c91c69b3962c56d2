#include "tests/win/scripted_engine/text_catcher.h"

#include "engine/engine_object.h"
#include "engine/engine_string.h"
#include "tests/win/scripted_engine/library/callback.h"

namespace quillmoor::scripted_engine_test {
namespace {

class CatchingVisitor : public EngineObject<cef_string_visitor_t> {
  public:
    explicit CatchingVisitor(std::shared_ptr<TextCatcher::Shared> shared)
        : shared_(std::move(shared)) {
        Table().visit = [](cef_string_visitor_t* self, const cef_string_t* text) SCRIPTED_CALLBACK {
            TextCatcher::Shared& shared = *Self<CatchingVisitor>(self)->shared_;
            std::lock_guard lock(shared.mutex);
            shared.text = FromEngineString(text);
            shared.changed.notify_all();
        };
    }
    ~CatchingVisitor() override {
        std::lock_guard lock(shared_->mutex);
        shared_->released = true;
        shared_->changed.notify_all();
    }

  private:
    std::shared_ptr<TextCatcher::Shared> shared_;
};

class SignallingVisitor : public EngineObject<cef_string_visitor_t> {
  public:
    SignallingVisitor(JobSignals& signals, RunClock& clock) : signals_(signals), clock_(clock) {
        Table().visit = [](cef_string_visitor_t* self, const cef_string_t* text) SCRIPTED_CALLBACK {
            SignallingVisitor* visitor = Self<SignallingVisitor>(self);
            visitor->signals_.OnMarkupDelivered(FromEngineString(text), visitor->clock_.Now());
        };
    }

  private:
    JobSignals& signals_;
    RunClock& clock_;
};

}  // namespace

TextCatcher::TextCatcher() : shared_(std::make_shared<Shared>()) {}

cef_string_visitor_t* TextCatcher::Visitor() {
    return EngineObjectPtr<CatchingVisitor>::Make(shared_)->NewReference();
}

std::optional<std::u16string> TextCatcher::Wait(std::chrono::milliseconds limit,
                                                const std::function<void()>& pump) {
    const auto until = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (pump) {
            pump();
        }
        std::unique_lock lock(shared_->mutex);
        if (shared_->text || shared_->released || std::chrono::steady_clock::now() >= until) {
            return shared_->text;
        }
        shared_->changed.wait_for(lock, std::chrono::milliseconds(pump ? 5 : 50));
    }
}

bool TextCatcher::ReleasedUnvisited() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->released && !shared_->text;
}

cef_string_visitor_t* NewSignallingVisitor(JobSignals& signals, RunClock& clock) {
    return EngineObjectPtr<SignallingVisitor>::Make(signals, clock)->NewReference();
}

}  // namespace quillmoor::scripted_engine_test
