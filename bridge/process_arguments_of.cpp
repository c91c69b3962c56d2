#include "bridge/process_arguments_of.h"

#include <fstream>
#include <iterator>

namespace quillmoor::bridge {

std::vector<std::string> ArgumentsOfProcess(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    std::size_t start = 0;
    while (start < raw.size()) {
        const std::size_t end = raw.find('\0', start);
        arguments.push_back(raw.substr(start, end - start));
        start = end == std::string::npos ? raw.size() : end + 1;
    }
    return arguments;
}

}  // namespace quillmoor::bridge
