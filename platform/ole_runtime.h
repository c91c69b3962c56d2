// OLE on the GUI thread (Windows); nothing elsewhere.
#pragma once

namespace quillmoor {

// OleInitialize for the calling thread; true when it took effect.
bool InitializeOle();

// OleUninitialize for the calling thread, undoing one InitializeOle.
void UninitializeOle();

}  // namespace quillmoor
