#include "bridge/command_line.h"

#include <algorithm>

#include "bridge/engine_strings.h"
#include "engine/engine_string.h"
#include "platform/utf.h"

namespace quillmoor::bridge {

namespace {

std::u16string Joined(const std::vector<std::u16string>& pieces) {
    std::u16string text;
    for (const std::u16string& piece : pieces) {
        if (!text.empty()) {
            text += u' ';
        }
        if (piece.find(u' ') != std::u16string::npos) {
            text += u'"' + piece + u'"';
        } else {
            text += piece;
        }
    }
    return text;
}

}  // namespace

CommandLine::CommandLine(CommandLineAccess access)
    : read_only_(access == CommandLineAccess::kReadOnly) {
    FillTable();
}

std::u16string CommandLine::NameOf(const std::u16string& text) {
    std::size_t start = 0;
    while (start < text.size() && start < 2 && text[start] == u'-') {
        ++start;
    }
    return text.substr(start, text.find(u'=', start) - start);
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
        const std::u16string name = NameOf(piece);
        const std::size_t equals = piece.find(u'=');
        const std::u16string value =
            equals == std::u16string::npos ? u"" : piece.substr(equals + 1);
        auto it = std::find_if(switches_.begin(), switches_.end(),
                               [&](const auto& s) { return s.first == name; });
        if (it != switches_.end()) {
            it->second = value;
        } else {
            switches_.emplace_back(name, value);
        }
    }
}

void CommandLine::InitFromArgv(int argc, const char* const* argv) {
    if (read_only_) {
        return;
    }
    std::vector<std::u16string> pieces;
    for (int i = 0; i < argc && argv != nullptr; ++i) {
        pieces.push_back(argv[i] != nullptr ? Utf8ToUtf16(argv[i]) : std::u16string());
    }
    Parse(pieces);
}

void CommandLine::InitFromString(const std::u16string& text) {
    if (read_only_) {
        return;
    }
    std::vector<std::u16string> pieces;
    std::u16string piece;
    bool quoted = false;
    bool started = false;
    for (char16_t c : text) {
        if (c == u'"') {
            quoted = !quoted;
            started = true;
        } else if ((c == u' ' || c == u'\t') && !quoted) {
            if (started) {
                pieces.push_back(std::move(piece));
            }
            piece.clear();
            started = false;
        } else {
            piece += c;
            started = true;
        }
    }
    if (started) {
        pieces.push_back(std::move(piece));
    }
    Parse(pieces);
}

void CommandLine::Reset() {
    if (read_only_) {
        return;
    }
    std::lock_guard lock(mutex_);
    switches_.clear();
    arguments_.clear();
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
    auto it = std::find_if(switches_.begin(), switches_.end(),
                           [&](const auto& s) { return s.first == name; });
    if (it != switches_.end()) {
        it->second = std::move(value);
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

std::u16string CommandLine::Program() const {
    std::lock_guard lock(mutex_);
    return program_;
}

bool CommandLine::HasSwitch(const std::u16string& name) const {
    const std::u16string key = NameOf(name);
    std::lock_guard lock(mutex_);
    return std::any_of(switches_.begin(), switches_.end(),
                       [&](const auto& s) { return s.first == key; });
}

std::u16string CommandLine::SwitchValue(const std::u16string& name) const {
    const std::u16string key = NameOf(name);
    std::lock_guard lock(mutex_);
    auto it = std::find_if(switches_.begin(), switches_.end(),
                           [&](const auto& s) { return s.first == key; });
    return it != switches_.end() ? it->second : std::u16string();
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
    for (std::u16string& s : Switches()) {
        argv.push_back(std::move(s));
    }
    for (std::u16string& a : Arguments()) {
        argv.push_back(std::move(a));
    }
    return argv;
}

void CommandLine::FillTable() {
    cef_command_line_t& t = Table();
    t.is_valid = [](cef_command_line_t*) { return 1; };
    t.is_read_only = [](cef_command_line_t* self) {
        return Self<CommandLine>(self)->read_only_ ? 1 : 0;
    };
    t.copy = [](cef_command_line_t* self) -> cef_command_line_t* {
        CommandLine* source = Self<CommandLine>(self);
        auto* copy = new CommandLine(CommandLineAccess::kWritable);
        std::vector<std::u16string> argv = source->Argv();
        copy->Parse(argv);
        return &copy->Table();  // the copy's first reference goes to the caller
    };
    t.init_from_argv = [](cef_command_line_t* self, int argc, const char* const* argv) {
        Self<CommandLine>(self)->InitFromArgv(argc, argv);
    };
    t.init_from_string = [](cef_command_line_t* self, const cef_string_t* text) {
        Self<CommandLine>(self)->InitFromString(FromEngineString(text));
    };
    t.reset = [](cef_command_line_t* self) { Self<CommandLine>(self)->Reset(); };
    t.get_argv = [](cef_command_line_t* self, cef_string_list_t list) {
        if (list != nullptr) {
            for (std::u16string& piece : Self<CommandLine>(self)->Argv()) {
                AsStringList(list)->push_back(std::move(piece));
            }
        }
    };
    t.get_command_line_string = [](cef_command_line_t* self) {
        return NewUserFreeString(Joined(Self<CommandLine>(self)->Argv()));
    };
    t.get_program = [](cef_command_line_t* self) {
        return NewUserFreeString(Self<CommandLine>(self)->Program());
    };
    t.set_program = [](cef_command_line_t* self, const cef_string_t* program) {
        CommandLine* line = Self<CommandLine>(self);
        if (line->read_only_) {
            return;
        }
        std::lock_guard lock(line->mutex_);
        line->program_ = FromEngineString(program);
    };
    t.has_switches = [](cef_command_line_t* self) {
        CommandLine* line = Self<CommandLine>(self);
        std::lock_guard lock(line->mutex_);
        return line->switches_.empty() ? 0 : 1;
    };
    t.has_switch = [](cef_command_line_t* self, const cef_string_t* name) {
        return Self<CommandLine>(self)->HasSwitch(FromEngineString(name)) ? 1 : 0;
    };
    t.get_switch_value = [](cef_command_line_t* self, const cef_string_t* name) {
        return NewUserFreeString(Self<CommandLine>(self)->SwitchValue(FromEngineString(name)));
    };
    // The library hands out no string maps, so there is nothing to fill.
    t.get_switches = [](cef_command_line_t*, cef_string_map_t) {};
    t.append_switch = [](cef_command_line_t* self, const cef_string_t* name) {
        Self<CommandLine>(self)->AppendSwitch(FromEngineString(name), {});
    };
    t.append_switch_with_value = [](cef_command_line_t* self, const cef_string_t* name,
                                    const cef_string_t* value) {
        Self<CommandLine>(self)->AppendSwitch(FromEngineString(name), FromEngineString(value));
    };
    t.has_arguments = [](cef_command_line_t* self) {
        return Self<CommandLine>(self)->Arguments().empty() ? 0 : 1;
    };
    t.get_arguments = [](cef_command_line_t* self, cef_string_list_t list) {
        if (list != nullptr) {
            for (std::u16string& argument : Self<CommandLine>(self)->Arguments()) {
                AsStringList(list)->push_back(std::move(argument));
            }
        }
    };
    t.append_argument = [](cef_command_line_t* self, const cef_string_t* argument) {
        Self<CommandLine>(self)->AppendArgument(FromEngineString(argument));
    };
    // Wrapping a command (a debugger in front of it) has no meaning for a command line that
    // only carries switches to Chromium.
    t.prepend_wrapper = [](cef_command_line_t*, const cef_string_t*) {};
}

}  // namespace quillmoor::bridge
