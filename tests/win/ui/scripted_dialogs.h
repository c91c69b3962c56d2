// Dialogs answered by the test: each call is recorded, questions take the answers queued
// for them (a question nobody expected fails the test and is answered No), the open and
// folder dialogs return what the test put ready.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "win/ui/dialogs.h"

namespace quillmoor::win::test_support {

class ScriptedDialogs final : public Dialogs {
  public:
    QUILLMOOR_WIN_DIALOGS_OVERRIDES;

    // Put ready by the test.
    std::deque<Answer> answers;
    std::vector<std::u16string> files_to_choose;

    // Seen by the dialogs.
    struct Asked {
        std::u16string text;
        Question question;
    };
    std::vector<Asked> asked;
    std::vector<std::u16string> messages;
    int file_dialogs = 0;
    std::vector<FilterChoice> filter;
    std::vector<std::u16string> links;
};

}  // namespace quillmoor::win::test_support
