#include "tests/win/scripted_engine/recording_client.h"

#include "engine/engine_string.h"
#include "tests/win/scripted_engine/library/callback.h"

namespace quillmoor::scripted_engine_test {
namespace {

class LifeSpan : public EngineObject<cef_life_span_handler_t> {
  public:
    explicit LifeSpan(std::shared_ptr<Recorder> recorder) : recorder_(std::move(recorder)) {
        Table().on_before_popup =
            [](cef_life_span_handler_t* self, cef_browser_t* browser, cef_frame_t* frame,
               const cef_string_t* target_url, const cef_string_t* target_frame_name,
               cef_window_open_disposition_t disposition, int, const cef_popup_features_t*,
               cef_window_info_t*, cef_client_t**, cef_browser_settings_t*,
               cef_dictionary_value_t**, int*) SCRIPTED_CALLBACK {
                Recorder& recorder = *Self<LifeSpan>(self)->recorder_;
                Event event{Event::Kind::kPopup};
                event.url = FromEngineString(target_url);
                event.name = FromEngineString(target_frame_name);
                event.disposition = disposition;
                recorder.Note(event, browser, frame);
                return recorder.cancel_popups.load() ? 1 : 0;
            };
        Table().on_after_created = [](cef_life_span_handler_t* self,
                                      cef_browser_t* browser) SCRIPTED_CALLBACK {
            Recorder& recorder = *Self<LifeSpan>(self)->recorder_;
            recorder.Keep(browser);
            recorder.Note(Event{Event::Kind::kCreated}, browser, nullptr);
        };
        Table().do_close = [](cef_life_span_handler_t* self,
                              cef_browser_t* browser) SCRIPTED_CALLBACK {
            Self<LifeSpan>(self)->recorder_->Note(Event{Event::Kind::kDoClose}, browser, nullptr);
            return 0;
        };
        Table().on_before_close = [](cef_life_span_handler_t* self, cef_browser_t* browser)
                                      SCRIPTED_CALLBACK {
                                          Self<LifeSpan>(self)->recorder_->Note(
                                              Event{Event::Kind::kBeforeClose}, browser, nullptr);
                                      };
    }

  private:
    std::shared_ptr<Recorder> recorder_;
};

class Load : public EngineObject<cef_load_handler_t> {
  public:
    explicit Load(std::shared_ptr<Recorder> recorder) : recorder_(std::move(recorder)) {
        Table().on_loading_state_change =
            [](cef_load_handler_t*, cef_browser_t* browser, int, int, int)
                SCRIPTED_CALLBACK { ReleaseEngineReference(browser); };
        Table().on_load_start = [](cef_load_handler_t* self, cef_browser_t* browser,
                                   cef_frame_t* frame, cef_transition_type_t) SCRIPTED_CALLBACK {
            Self<Load>(self)->recorder_->Note(Event{Event::Kind::kLoadStart}, browser, frame);
        };
        Table().on_load_end = [](cef_load_handler_t* self, cef_browser_t* browser,
                                 cef_frame_t* frame, int status) SCRIPTED_CALLBACK {
            Recorder& recorder = *Self<Load>(self)->recorder_;
            Event event{Event::Kind::kLoadEnd};
            event.status = status;
            recorder.Note(event, browser, frame);
            if (recorder.signals != nullptr) {
                recorder.signals->OnLoadEnd(recorder.clock->Now());
            }
        };
        Table().on_load_error = [](cef_load_handler_t* self, cef_browser_t* browser,
                                   cef_frame_t* frame, cef_errorcode_t error, const cef_string_t*,
                                   const cef_string_t*) SCRIPTED_CALLBACK {
            Event event{Event::Kind::kLoadError};
            event.status = error;
            Self<Load>(self)->recorder_->Note(event, browser, frame);
        };
    }

  private:
    std::shared_ptr<Recorder> recorder_;
};

class Client : public EngineObject<cef_client_t> {
  public:
    explicit Client(std::shared_ptr<Recorder> recorder)
        : life_span_(EngineObjectPtr<LifeSpan>::Make(recorder)),
          load_(EngineObjectPtr<Load>::Make(recorder)) {
        Table().get_life_span_handler = [](cef_client_t* self) SCRIPTED_CALLBACK {
            return Self<Client>(self)->life_span_->NewReference();
        };
        Table().get_load_handler = [](cef_client_t* self) SCRIPTED_CALLBACK {
            return Self<Client>(self)->load_->NewReference();
        };
    }

  private:
    EngineObjectPtr<LifeSpan> life_span_;
    EngineObjectPtr<Load> load_;
};

}  // namespace

std::vector<Event> Recorder::Events() const {
    std::lock_guard lock(mutex_);
    return events_;
}

std::vector<Event> Recorder::EventsOf(Event::Kind kind) const {
    std::vector<Event> found;
    for (const Event& event : Events()) {
        if (event.kind == kind) {
            found.push_back(event);
        }
    }
    return found;
}

int Recorder::SubFrameLoadEnds() const {
    int count = 0;
    for (const Event& event : EventsOf(Event::Kind::kLoadEnd)) {
        count += event.main_frame ? 0 : 1;
    }
    return count;
}

int Recorder::MainFrameLoadEnds() const {
    int count = 0;
    for (const Event& event : EventsOf(Event::Kind::kLoadEnd)) {
        count += event.main_frame ? 1 : 0;
    }
    return count;
}

std::vector<HeldReference<cef_browser_t>> Recorder::Browsers() const {
    std::lock_guard lock(mutex_);
    return browsers_;
}

void Recorder::ForgetBrowsers() {
    std::vector<HeldReference<cef_browser_t>> browsers;
    std::lock_guard lock(mutex_);
    browsers.swap(browsers_);
}

bool Recorder::WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit,
                         const std::function<void()>& pump) const {
    const auto until = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (pump) {
            pump();
        }
        if (done()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= until) {
            return false;
        }
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::milliseconds(pump ? 5 : 50));
    }
}

void Recorder::Note(Event event, cef_browser_t* browser, cef_frame_t* frame) {
    const auto held_browser = HeldReference<cef_browser_t>::Adopt(browser);
    const auto held_frame = HeldReference<cef_frame_t>::Adopt(frame);
    event.thread = std::this_thread::get_id();
    if (browser != nullptr) {
        event.browser = browser->get_identifier(browser);
        event.popup_browser = browser->is_popup(browser) != 0;
    }
    if (frame != nullptr) {
        event.main_frame = frame->is_main(frame) != 0;
        if (event.kind != Event::Kind::kPopup) {
            event.url = TakeString(frame->get_url(frame));
            event.name = TakeString(frame->get_name(frame));
        }
    }
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(event));
    changed_.notify_all();
}

void Recorder::Keep(cef_browser_t* browser) {
    std::lock_guard lock(mutex_);
    browsers_.push_back(HeldReference<cef_browser_t>::Retain(browser));
}

std::u16string Recorder::TakeString(cef_string_userfree_t text) const {
    std::u16string copy = FromEngineString(text);
    if (text != nullptr) {
        engine_.cef_string_userfree_utf16_free(text);
    }
    return copy;
}

cef_client_t* NewRecordingClient(std::shared_ptr<Recorder> recorder) {
    return EngineObjectPtr<Client>::Make(std::move(recorder))->NewReference();
}

}  // namespace quillmoor::scripted_engine_test
