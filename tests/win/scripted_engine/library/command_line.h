// The engine's command-line object: a program, switches ("--name" or "--name=value",
// looked up by name without dashes) and arguments. The engine's global command line is the
// process's, with the switches the application adds while the engine initialises; after
// that it takes no changes.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/engine_object.h"

namespace quillmoor::scripted_engine {

class CommandLine : public EngineObject<cef_command_line_t> {
  public:
    CommandLine();
    // From now on every change is ignored.
    void MakeReadOnly() { read_only_ = true; }
    bool IsReadOnly() const { return read_only_; }

    // argv[0] is the program.
    void InitFromArgv(const std::vector<std::u16string>& argv);
    // Splits at blanks; double quotes group blanks into one piece and are dropped.
    void InitFromString(std::u16string_view text);
    void Reset();  // switches and arguments go, the program stays
    void SetProgram(std::u16string program);
    // name without its dashes; a switch added again keeps its place and takes the value.
    void AppendSwitch(std::u16string name, std::u16string value);
    void AppendArgument(std::u16string argument);
    void PrependWrapper(std::u16string_view wrapper);

    std::u16string Program() const;
    bool HasSwitch(std::u16string_view name) const;
    std::u16string SwitchValue(std::u16string_view name) const;
    bool HasSwitches() const;
    // Every switch as "--name" or "--name=value", in the order added.
    std::vector<std::u16string> Switches() const;
    std::vector<std::u16string> Arguments() const;
    // Program, switches, arguments.
    std::vector<std::u16string> Argv() const;
    // Argv joined by blanks, pieces with blanks in double quotes.
    std::u16string Text() const;

  private:
    void FillTable();
    void Parse(const std::vector<std::u16string>& argv);

    std::atomic<bool> read_only_{false};
    mutable std::mutex mutex_;
    std::u16string program_;
    std::vector<std::pair<std::u16string, std::u16string>> switches_;  // name, value
    std::vector<std::u16string> arguments_;
};

// The pieces of a command-line text: split at blanks, double quotes group blanks into one
// piece and are dropped.
std::vector<std::u16string> SplitCommandLine(std::u16string_view text);

}  // namespace quillmoor::scripted_engine
