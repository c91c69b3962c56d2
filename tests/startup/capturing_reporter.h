// A start-up reporter that keeps what would have been shown, in order.
#pragma once

#include <string>
#include <vector>

#include "startup/startup_reporter.h"

namespace quillmoor::test_support {

class CapturingReporter : public StartupReporter {
  public:
    struct Event {
        bool message_box = false;  // otherwise a debugger line
        std::u16string text;
    };

    void ShowError(std::u16string_view text) override {
        events.push_back({true, std::u16string(text)});
    }
    void WriteDebugLine(std::u16string_view line) override {
        events.push_back({false, std::u16string(line)});
    }

    std::vector<std::u16string> Boxes() const { return Of(true); }
    std::vector<std::u16string> DebugLines() const { return Of(false); }

    std::vector<Event> events;

  private:
    std::vector<std::u16string> Of(bool message_box) const {
        std::vector<std::u16string> texts;
        for (const Event& event : events) {
            if (event.message_box == message_box) {
                texts.push_back(event.text);
            }
        }
        return texts;
    }
};

}  // namespace quillmoor::test_support
