// Whether the inputs of the file and language tabs take the user's changes.
#pragma once

namespace quillmoor {

enum class InputsState { kDisabled, kEnabled };

}  // namespace quillmoor
