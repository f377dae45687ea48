#pragma once

#include "TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace tavrel::test {

// What a run of a program gave: its exit status and its two outputs.
struct Result {
    int Status = -1;
    std::string Out, Err;
};

// s as one word of the shell.
inline std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// The shell command that runs program with args; env: assignments put before it ("TZ=JST-9").
inline std::string Command(const std::string& program, const std::vector<std::string>& args,
                           const std::string& env = "") {
    std::string command = env + (env.empty() ? "" : " ") + Quote(program);
    for (const auto& a : args)
        command += " " + Quote(a);
    return command;
}

// Runs command through the shell with its outputs caught in files of outputs.
inline Result RunCommand(const std::string& command, const TempDir& outputs) {
    const std::string out = outputs.File("stdout.txt"), err = outputs.File("stderr.txt");
    const int status = std::system((command + " >" + Quote(out) + " 2>" + Quote(err)).c_str());
    Result r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(out), ReadBytes(err)};
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return r;
}

inline int Lines(const std::string& s) {
    return static_cast<int>(std::count(s.begin(), s.end(), '\n'));
}

} // namespace tavrel::test
