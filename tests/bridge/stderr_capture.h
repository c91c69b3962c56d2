// Catches what is written to standard error (descriptor 2) while it lives.
#pragma once

#include <string>

namespace quillmoor::bridge_test {

class StderrCapture {
  public:
    StderrCapture();
    ~StderrCapture();  // standard error goes back where it went
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    std::string Text() const;

  private:
    int saved_ = -1;
    int file_ = -1;
};

}  // namespace quillmoor::bridge_test
