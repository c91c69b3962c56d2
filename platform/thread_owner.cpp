#include "platform/thread_owner.h"

#include <cstdio>
#include <cstdlib>

namespace quillmoor {
namespace {

void AbortOnWrongThread(const std::source_location& where) {
    std::fprintf(stderr, "%s:%u: %s was called from a thread that does not own it\n",
                 where.file_name(), static_cast<unsigned>(where.line()), where.function_name());
    std::fflush(stderr);
    std::abort();
}

std::atomic<WrongThreadHandler> wrong_thread_handler{&AbortOnWrongThread};

}  // namespace

WrongThreadHandler SetWrongThreadHandler(WrongThreadHandler handler) {
    return wrong_thread_handler.exchange(handler != nullptr ? handler : &AbortOnWrongThread);
}

void ReportWrongThread(const std::source_location& where) {
    wrong_thread_handler.load()(where);
}

}  // namespace quillmoor
