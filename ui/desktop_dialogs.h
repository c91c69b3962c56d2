// The real dialogs: Qt's message boxes and file dialogs, links opened by the desktop.
#pragma once

#include "ui/user_dialogs.h"

namespace quillmoor {

class DesktopDialogs final : public UserDialogs {
  public:
    QUILLMOOR_USER_DIALOGS_OVERRIDES;
};

}  // namespace quillmoor
