// The kind of process this is, from the engine's "--type=" argument.
#pragma once

#include <string>
#include <vector>

namespace quillmoor {

enum class TCefProcessType { ptBrowser, ptRenderer, ptZygote, ptGPU, ptUtility, ptOther };

// The kind named by the last argument that starts with "--type=" (compared without regard
// to case, as is its value); ptBrowser when there is none. An empty or unknown value is
// ptOther.
TCefProcessType ProcessTypeFromArguments(const std::vector<std::u16string>& arguments);

}  // namespace quillmoor
