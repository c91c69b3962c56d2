// The host of a scripted engine browser (cef_browser_host_t). The browser has no window:
// the host closes it and hands out its client; everything that acts on a window does
// nothing.
#pragma once

#include "engine/cef_capi.h"
#include "engine/engine_object.h"
#include "tests/win/scripted_engine/library/scripted_browser.h"

namespace quillmoor::scripted_engine {

class BrowserHost : public EngineObject<cef_browser_host_t> {
  public:
    explicit BrowserHost(EngineObjectPtr<Browser> browser);
    ~BrowserHost() override;

  private:
    void FillTable();

    const EngineObjectPtr<Browser> browser_;
};

}  // namespace quillmoor::scripted_engine
