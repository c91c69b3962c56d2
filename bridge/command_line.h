// The engine's command-line object: a program, switches ("--name" or "--name=value",
// looked up by name without dashes) and arguments, in the order the engine's own command
// line keeps them. The application adds its switches to it before Chromium starts.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/cef_capi.h"
#include "engine/engine_object.h"

namespace quillmoor::bridge {

// Whether a command line takes changes.
enum class CommandLineAccess { kWritable, kReadOnly };

class CommandLine : public EngineObject<cef_command_line_t> {
  public:
    explicit CommandLine(CommandLineAccess access = CommandLineAccess::kWritable);
    // From now on every change is ignored.
    void MakeReadOnly() { read_only_ = true; }

    void InitFromArgv(int argc, const char* const* argv);
    // Splits at blanks; double quotes group blanks into one piece and are dropped.
    void InitFromString(const std::u16string& text);
    void Reset();  // switches and arguments go, the program stays
    void AppendSwitch(std::u16string name, std::u16string value);
    void AppendArgument(std::u16string argument);

    std::u16string Program() const;
    bool HasSwitch(const std::u16string& name) const;
    std::u16string SwitchValue(const std::u16string& name) const;
    // Every switch as "--name" or "--name=value", in the order added (a switch added again
    // keeps its place and takes the new value).
    std::vector<std::u16string> Switches() const;
    std::vector<std::u16string> Arguments() const;
    // Program, switches, arguments.
    std::vector<std::u16string> Argv() const;

  private:
    void FillTable();
    void Parse(const std::vector<std::u16string>& argv);
    static std::u16string NameOf(const std::u16string& text);

    std::atomic<bool> read_only_;
    mutable std::mutex mutex_;
    std::u16string program_;
    std::vector<std::pair<std::u16string, std::u16string>> switches_;  // name, value
    std::vector<std::u16string> arguments_;
};

}  // namespace quillmoor::bridge
