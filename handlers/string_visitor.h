// Receives a text that the engine produces on request (a frame's markup) and passes it on
// once. Called by the engine on its UI thread.
#pragma once

#include <atomic>
#include <memory>

#include "engine/engine_object.h"
#include "handlers/browser_events.h"

namespace quillmoor {

class StringVisitor : public EngineObject<cef_string_visitor_t> {
  public:
    explicit StringVisitor(std::shared_ptr<const BrowserEvents> events);

  private:
    static void CEF_CALLBACK Visit(cef_string_visitor_t* self, const cef_string_t* string);

    const std::shared_ptr<const BrowserEvents> events_;  // read-only, any thread
    std::atomic<bool> visited_{false};                   // written by the engine's UI thread
};

}  // namespace quillmoor
