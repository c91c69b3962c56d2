// Where the engine start-up of this process stands.
#pragma once

namespace quillmoor {

// Every status from asErrorMissingFiles on is final.
enum class TCefAplicationStatus {
    asLoading,                   // created, nothing done yet
    asLoaded,                    // library loaded and entry points resolved
    asInitialized,               // engine initialised (browser process)
    asErrorMissingFiles,         // engine files missing
    asErrorDLLVersion,           // wrong version, wrong binaries, or an entry point missing
    asErrorLoadingLibrary,       // the library could not be loaded
    asErrorInitializingLibrary,  // the engine refused to initialise
};

}  // namespace quillmoor
