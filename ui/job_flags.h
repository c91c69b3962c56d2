// The two job flags that the Pause and Cancel buttons set and the batch reads.
//
// A stand-in held by the main window until the batch's own flags join the toolkit-free
// core; the main window reaches them only through TForm3::JobFlags(), so the swap touches
// that one accessor.
#pragma once

namespace quillmoor {

// Owned by the GUI thread: written by the job buttons and by the batch, read by the batch.
struct JobFlags {
    bool PauseRequested = false;   // the batch waits while it is set
    bool CancelRequested = false;  // the batch stops at its next check
};

}  // namespace quillmoor
