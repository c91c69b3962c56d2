#include "tests/bridge/stderr_capture.h"

#include <stdio.h>
#include <unistd.h>

#include <stdexcept>

namespace quillmoor::bridge_test {

StderrCapture::StderrCapture() {
    std::fflush(stderr);
    char name[] = "/tmp/quillmoor-stderr-XXXXXX";
    file_ = mkstemp(name);
    if (file_ < 0) {
        throw std::runtime_error("cannot capture standard error");
    }
    unlink(name);
    saved_ = dup(2);
    dup2(file_, 2);
}

StderrCapture::~StderrCapture() {
    std::fflush(stderr);
    dup2(saved_, 2);
    close(saved_);
    close(file_);
}

std::string StderrCapture::Text() const {
    std::fflush(stderr);
    std::string text;
    char chunk[4096];
    ssize_t got = 0;
    off_t offset = 0;
    while ((got = pread(file_, chunk, sizeof chunk, offset)) > 0) {
        text.append(chunk, static_cast<std::size_t>(got));
        offset += got;
    }
    return text;
}

}  // namespace quillmoor::bridge_test
