// Catches what is written to standard error (descriptor 2) while it lives.
#pragma once

#include <string>

#include "platform/no_copy.h"

namespace quillmoor::bridge_test {

class StderrCapture {
  public:
    StderrCapture();
    ~StderrCapture();  // standard error goes back where it went
    QUILLMOOR_NO_COPY(StderrCapture);

    std::string Text() const;

  private:
    int saved_ = -1;
    int file_ = -1;
};

}  // namespace quillmoor::bridge_test
