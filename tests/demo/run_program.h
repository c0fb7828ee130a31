#pragma once
// Runs a helper program of the demo and collects what it prints on standard output.

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace pelmora::testing {

struct ProgramResult {
    int status = -1;  // exit status, -1 when it did not exit normally
    std::string output;
};

// command goes through /bin/sh; quote arguments with quoted().
inline ProgramResult runProgram(const std::string& command) {
    ProgramResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buffer{};
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.output.append(buffer.data(), got);
    const int raw = ::pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return result;
}

inline std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace pelmora::testing
