#include "handlers/string_visitor.h"

#include "engine/engine_string.h"

namespace quillmoor {

StringVisitor::StringVisitor(std::shared_ptr<const BrowserEvents> events)
    : events_(std::move(events)) {
    Table().visit = &Visit;
}

void CEF_CALLBACK StringVisitor::Visit(cef_string_visitor_t* self, const cef_string_t* string) {
    StringVisitor* visitor = Self<StringVisitor>(self);
    if (visitor->visited_.exchange(true) || !visitor->events_->on_text_result_available) {
        return;
    }
    visitor->events_->on_text_result_available(FromEngineString(string));
}

}  // namespace quillmoor
