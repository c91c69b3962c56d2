// The row of most table tests: a name for the failure message, what goes in, and what must
// come out.
#pragma once

namespace quillmoor::test_support {

template <typename Input, typename Expected>
struct Example {
    const char* name;
    Input input;
    Expected expected;
};

// The same for what is read or written in a code page.
template <typename Input, typename Expected>
struct CodePageExample {
    const char* name;
    unsigned code_page;
    Input input;
    Expected expected;
};

}  // namespace quillmoor::test_support
