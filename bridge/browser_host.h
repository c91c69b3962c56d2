// The host side of a browser (cef_browser_host_t): closing it, its client, and the
// window-related notices that a browser without a window takes and ignores.
#pragma once

#include "bridge/browser.h"
#include "engine/cef_capi.h"
#include "engine/engine_object.h"

namespace quillmoor::bridge {

class BrowserHost : public EngineObject<cef_browser_host_t> {
  public:
    explicit BrowserHost(EngineObjectPtr<Browser> browser);

  private:
    void FillTable();
    EngineObjectPtr<Browser> browser_;
};

}  // namespace quillmoor::bridge
