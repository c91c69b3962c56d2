// What the hidden browser window needs of a started engine: whether it can create browsers
// yet, its functions, and its modal-loop flag. The process's engine application object
// (TCefApplication) is one; the browser window's tests give a fake.
#pragma once

#include "startup/engine_entry_points.h"

namespace quillmoor {

class RunningEngine {
  public:
    virtual ~RunningEngine() = default;
    // True once the engine has reported its global context ready (any thread).
    virtual bool GlobalContextInitialized() const = 0;
    // Tells the engine that a menu loop starts or ends (GUI thread).
    virtual void SetOsmodalLoop(bool value) = 0;
    // The engine library's functions (valid while the object lives).
    virtual const EngineEntryPoints& EntryPoints() const = 0;
};

}  // namespace quillmoor
