// What the browser window needs of the engine application object: whether the engine can
// create browsers yet, the engine's functions, and the engine's modal-loop flag.
#pragma once

#include "app/engine_entry_points.h"
#include "app/tcef_application.h"

namespace quillmoor {

class EngineApplication {
  public:
    virtual ~EngineApplication() = default;
    // True once the engine has reported its global context ready (any thread).
    virtual bool GlobalContextInitialized() const = 0;
    // Tells the engine that a menu loop starts or ends (GUI thread).
    virtual void SetOsmodalLoop(bool value) = 0;
    // The engine library's functions (valid while the object lives).
    virtual const EngineEntryPoints& EntryPoints() const = 0;
};

// The process's engine application object as the browser window sees it.
class TCefApplicationEngine : public EngineApplication {
  public:
    explicit TCefApplicationEngine(TCefApplication& application) : application_(application) {}
    bool GlobalContextInitialized() const override {
        return application_.GlobalContextInitialized();
    }
    void SetOsmodalLoop(bool value) override { application_.SetOsmodalLoop(value); }
    const EngineEntryPoints& EntryPoints() const override { return application_.EntryPoints(); }

  private:
    TCefApplication& application_;
};

}  // namespace quillmoor
