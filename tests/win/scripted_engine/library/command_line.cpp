#include "tests/win/scripted_engine/library/command_line.h"

#include <algorithm>

#include "engine/engine_string.h"
#include "platform/utf.h"
#include "tests/win/scripted_engine/library/callback.h"
#include "tests/win/scripted_engine/library/engine_strings.h"

namespace quillmoor::scripted_engine {
namespace {

// A switch's name: the text after its one or two leading dashes, up to "=".
std::u16string NameOf(std::u16string_view text) {
    std::size_t start = 0;
    while (start < text.size() && start < 2 && text[start] == u'-') {
        ++start;
    }
    return std::u16string(text.substr(start, text.find(u'=', start) - start));
}

}  // namespace

std::vector<std::u16string> SplitCommandLine(std::u16string_view text) {
    std::vector<std::u16string> pieces;
    std::u16string piece;
    bool in_piece = false;
    bool quoted = false;
    for (const char16_t c : text) {
        if (c == u'"') {
            quoted = !quoted;
            in_piece = true;
        } else if (!quoted && (c == u' ' || c == u'\t')) {
            if (in_piece) {
                pieces.push_back(std::move(piece));
                piece.clear();
                in_piece = false;
            }
        } else {
            piece += c;
            in_piece = true;
        }
    }
    if (in_piece) {
        pieces.push_back(std::move(piece));
    }
    return pieces;
}

CommandLine::CommandLine() {
    FillTable();
}

void CommandLine::Parse(const std::vector<std::u16string>& argv) {
    std::lock_guard lock(mutex_);
    program_ = argv.empty() ? std::u16string() : argv[0];
    switches_.clear();
    arguments_.clear();
    bool only_arguments = false;
    for (std::size_t i = 1; i < argv.size(); ++i) {
        const std::u16string& piece = argv[i];
        if (!only_arguments && piece == u"--") {
            only_arguments = true;
            continue;
        }
        if (only_arguments || piece.size() < 2 || piece[0] != u'-') {
            arguments_.push_back(piece);
            continue;
        }
        const std::size_t equals = piece.find(u'=');
        std::u16string value = equals == std::u16string::npos ? u"" : piece.substr(equals + 1);
        std::u16string name = NameOf(piece);
        auto same = std::find_if(switches_.begin(), switches_.end(),
                                 [&](const auto& entry) { return entry.first == name; });
        if (same != switches_.end()) {
            same->second = std::move(value);
        } else {
            switches_.emplace_back(std::move(name), std::move(value));
        }
    }
}

void CommandLine::InitFromArgv(const std::vector<std::u16string>& argv) {
    if (!read_only_) {
        Parse(argv);
    }
}

void CommandLine::InitFromString(std::u16string_view text) {
    if (!read_only_) {
        Parse(SplitCommandLine(text));
    }
}

void CommandLine::Reset() {
    if (read_only_) {
        return;
    }
    std::lock_guard lock(mutex_);
    switches_.clear();
    arguments_.clear();
}

void CommandLine::SetProgram(std::u16string program) {
    if (read_only_) {
        return;
    }
    std::lock_guard lock(mutex_);
    program_ = std::move(program);
}

void CommandLine::AppendSwitch(std::u16string name, std::u16string value) {
    if (read_only_) {
        return;
    }
    name = NameOf(name);
    if (name.empty()) {
        return;
    }
    std::lock_guard lock(mutex_);
    auto same = std::find_if(switches_.begin(), switches_.end(),
                             [&](const auto& entry) { return entry.first == name; });
    if (same != switches_.end()) {
        same->second = std::move(value);
    } else {
        switches_.emplace_back(std::move(name), std::move(value));
    }
}

void CommandLine::AppendArgument(std::u16string argument) {
    if (read_only_) {
        return;
    }
    std::lock_guard lock(mutex_);
    arguments_.push_back(std::move(argument));
}

void CommandLine::PrependWrapper(std::u16string_view wrapper) {
    if (read_only_) {
        return;
    }
    std::vector<std::u16string> pieces = SplitCommandLine(wrapper);
    if (pieces.empty()) {
        return;
    }
    std::lock_guard lock(mutex_);
    // The wrapper becomes the program; the old program is its first argument.
    std::vector<std::u16string> arguments(pieces.begin() + 1, pieces.end());
    arguments.push_back(program_);
    arguments.insert(arguments.end(), arguments_.begin(), arguments_.end());
    program_ = pieces.front();
    arguments_ = std::move(arguments);
}

std::u16string CommandLine::Program() const {
    std::lock_guard lock(mutex_);
    return program_;
}

bool CommandLine::HasSwitch(std::u16string_view name) const {
    const std::u16string wanted = NameOf(name);
    std::lock_guard lock(mutex_);
    return std::any_of(switches_.begin(), switches_.end(),
                       [&](const auto& entry) { return entry.first == wanted; });
}

std::u16string CommandLine::SwitchValue(std::u16string_view name) const {
    const std::u16string wanted = NameOf(name);
    std::lock_guard lock(mutex_);
    for (const auto& [switch_name, value] : switches_) {
        if (switch_name == wanted) {
            return value;
        }
    }
    return {};
}

bool CommandLine::HasSwitches() const {
    std::lock_guard lock(mutex_);
    return !switches_.empty();
}

std::vector<std::u16string> CommandLine::Switches() const {
    std::lock_guard lock(mutex_);
    std::vector<std::u16string> texts;
    for (const auto& [name, value] : switches_) {
        texts.push_back(value.empty() ? u"--" + name : u"--" + name + u"=" + value);
    }
    return texts;
}

std::vector<std::u16string> CommandLine::Arguments() const {
    std::lock_guard lock(mutex_);
    return arguments_;
}

std::vector<std::u16string> CommandLine::Argv() const {
    std::vector<std::u16string> argv{Program()};
    for (std::u16string& piece : Switches()) {
        argv.push_back(std::move(piece));
    }
    for (std::u16string& piece : Arguments()) {
        argv.push_back(std::move(piece));
    }
    return argv;
}

std::u16string CommandLine::Text() const {
    std::u16string text;
    for (const std::u16string& piece : Argv()) {
        if (!text.empty()) {
            text += u' ';
        }
        text += piece.find(u' ') != std::u16string::npos ? u"\"" + piece + u"\"" : piece;
    }
    return text;
}

void CommandLine::FillTable() {
    cef_command_line_t& t = Table();
    t.is_valid = [](cef_command_line_t*) SCRIPTED_CALLBACK { return 1; };
    t.is_read_only = [](cef_command_line_t* self) SCRIPTED_CALLBACK {
        return Self<CommandLine>(self)->IsReadOnly() ? 1 : 0;
    };
    t.copy = [](cef_command_line_t* self) SCRIPTED_CALLBACK -> cef_command_line_t* {
        auto copy = EngineObjectPtr<CommandLine>::Make();
        copy->Parse(Self<CommandLine>(self)->Argv());
        return copy->NewReference();
    };
    t.init_from_argv = [](cef_command_line_t* self, int argc, const char* const* argv)
                           SCRIPTED_CALLBACK {
                               std::vector<std::u16string> pieces;
                               for (int i = 0; argv != nullptr && i < argc; ++i) {
                                   pieces.push_back(Utf8ToUtf16(argv[i] != nullptr ? argv[i] : ""));
                               }
                               Self<CommandLine>(self)->InitFromArgv(pieces);
                           };
    t.init_from_string = [](cef_command_line_t* self, const cef_string_t* text) SCRIPTED_CALLBACK {
        Self<CommandLine>(self)->InitFromString(FromEngineString(text));
    };
    t.reset = [](cef_command_line_t* self) SCRIPTED_CALLBACK { Self<CommandLine>(self)->Reset(); };
    t.get_argv = [](cef_command_line_t* self, cef_string_list_t argv) SCRIPTED_CALLBACK {
        if (argv != nullptr) {
            for (std::u16string& piece : Self<CommandLine>(self)->Argv()) {
                AsStringList(argv)->push_back(std::move(piece));
            }
        }
    };
    t.get_command_line_string = [](cef_command_line_t* self) SCRIPTED_CALLBACK {
        return NewUserFreeString(Self<CommandLine>(self)->Text());
    };
    t.get_program = [](cef_command_line_t* self) SCRIPTED_CALLBACK {
        return NewUserFreeString(Self<CommandLine>(self)->Program());
    };
    t.set_program = [](cef_command_line_t* self, const cef_string_t* program) SCRIPTED_CALLBACK {
        Self<CommandLine>(self)->SetProgram(FromEngineString(program));
    };
    t.has_switches = [](cef_command_line_t* self) SCRIPTED_CALLBACK {
        return Self<CommandLine>(self)->HasSwitches() ? 1 : 0;
    };
    t.has_switch = [](cef_command_line_t* self, const cef_string_t* name) SCRIPTED_CALLBACK {
        return Self<CommandLine>(self)->HasSwitch(FromEngineString(name)) ? 1 : 0;
    };
    t.get_switch_value = [](cef_command_line_t* self, const cef_string_t* name) SCRIPTED_CALLBACK {
        return NewUserFreeString(Self<CommandLine>(self)->SwitchValue(FromEngineString(name)));
    };
    // The library hands out no string maps: there is no map to fill.
    t.get_switches = [](cef_command_line_t*, cef_string_map_t) SCRIPTED_CALLBACK {};
    t.append_switch = [](cef_command_line_t* self, const cef_string_t* name) SCRIPTED_CALLBACK {
        Self<CommandLine>(self)->AppendSwitch(FromEngineString(name), u"");
    };
    t.append_switch_with_value = [](cef_command_line_t* self, const cef_string_t* name,
                                    const cef_string_t* value) SCRIPTED_CALLBACK {
        Self<CommandLine>(self)->AppendSwitch(FromEngineString(name), FromEngineString(value));
    };
    t.has_arguments = [](cef_command_line_t* self) SCRIPTED_CALLBACK {
        return Self<CommandLine>(self)->Arguments().empty() ? 0 : 1;
    };
    t.get_arguments = [](cef_command_line_t* self, cef_string_list_t arguments) SCRIPTED_CALLBACK {
        if (arguments != nullptr) {
            for (std::u16string& piece : Self<CommandLine>(self)->Arguments()) {
                AsStringList(arguments)->push_back(std::move(piece));
            }
        }
    };
    t.append_argument = [](cef_command_line_t* self, const cef_string_t* argument)
                            SCRIPTED_CALLBACK {
                                Self<CommandLine>(self)->AppendArgument(FromEngineString(argument));
                            };
    t.prepend_wrapper = [](cef_command_line_t* self, const cef_string_t* wrapper)
                            SCRIPTED_CALLBACK {
                                Self<CommandLine>(self)->PrependWrapper(FromEngineString(wrapper));
                            };
}

}  // namespace quillmoor::scripted_engine
