// The debugger output as a debug-output viewer receives it from the system (Windows).
#include "platform/debugger_output.h"
#include "platform/no_copy.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quillmoor {
namespace {

// Listens to the debugger output of every program without a debugger, as a viewer does:
// through the system's shared buffer "DBWIN_BUFFER" and its two events.
class DebugOutputListener {
  public:
    struct Line {
        DWORD process_id;
        std::string text;  // in the active code page, as the system passes it on
    };

    DebugOutputListener()
        : buffer_ready_(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY")),
          another_listener_(GetLastError() == ERROR_ALREADY_EXISTS),
          data_ready_(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY")),
          mapping_(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      kBufferBytes, L"DBWIN_BUFFER")),
          view_(mapping_ != nullptr ? MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0) : nullptr) {}
    ~DebugOutputListener() {
        if (view_ != nullptr) {
            UnmapViewOfFile(view_);
        }
        for (HANDLE handle : {mapping_, data_ready_, buffer_ready_}) {
            if (handle != nullptr) {
                CloseHandle(handle);
            }
        }
    }
    QUILLMOOR_NO_COPY(DebugOutputListener);

    // Why this listener cannot hear the output here; empty when it can.
    std::string Unusable() const {
        if (IsDebuggerPresent()) {
            return "a debugger receives the output of this process";
        }
        if (another_listener_) {
            return "another debug-output viewer is listening";
        }
        return view_ == nullptr || data_ready_ == nullptr ? "cannot set up the shared buffer" : "";
    }

    // Says that the buffer is free, lets write run and returns the line it left.
    template <class Write>
    std::optional<Line> Receive(Write write) {
        SetEvent(buffer_ready_);
        write();
        if (WaitForSingleObject(data_ready_, 5000) != WAIT_OBJECT_0) {
            return std::nullopt;
        }
        const auto* bytes = static_cast<const char*>(view_);
        Line line{};
        memcpy(&line.process_id, bytes, sizeof line.process_id);
        line.text.assign(bytes + sizeof(DWORD),
                         strnlen(bytes + sizeof(DWORD), kBufferBytes - sizeof(DWORD)));
        return line;
    }

  private:
    static constexpr DWORD kBufferBytes = 4096;

    HANDLE buffer_ready_;
    bool another_listener_;
    HANDLE data_ready_;
    HANDLE mapping_;
    void* view_;
};

TEST(DebuggerOutput, EachLineReachesTheViewerWithItsLineBreak) {
    DebugOutputListener listener;
    if (const std::string reason = listener.Unusable(); !reason.empty()) {
        GTEST_SKIP() << reason;
    }
    const struct {
        const char* name;
        std::u16string_view line;
        std::string received;
    } cases[] = {
        {"a step's error", u"CheckCEFFiles error : the disk is gone",
         "CheckCEFFiles error : the disk is gone\r\n"},
        {"a message of several lines", u"CEF binaries missing !\r\n\r\nlibcef.dll",
         "CEF binaries missing !\r\n\r\nlibcef.dll\r\n"},
        {"a slice of a longer text", std::u16string_view(u"Missing entry point : cef_xyz", 21),
         "Missing entry point :\r\n"},
        {"an empty line", u"", "\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto line = listener.Receive([&] { WriteDebuggerOutput(c.line); });
        ASSERT_TRUE(line.has_value()) << "nothing arrived";
        EXPECT_EQ(line->process_id, GetCurrentProcessId());
        EXPECT_EQ(line->text, c.received);
    }
}

}  // namespace
}  // namespace quillmoor
