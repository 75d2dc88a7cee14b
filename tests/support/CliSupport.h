// Runs the console program as a real process, capturing its output and exit status.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/TestSupport.h"

struct RunResult {
    int status;
    std::string out;
    std::string err;
};

/// Quotes one argument for the shell.
inline std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class Cli : public ::testing::Test {
protected:
    RunResult Run(const std::vector<std::string>& args) {
        std::string command = Quote(BB_CLI_EXE);
        for (const auto& arg : args) command += " " + Quote(arg);
        command += " >" + Quote(dir / "stdout") + " 2>" + Quote(dir / "stderr") + " </dev/null";
        const int raw = std::system(command.c_str());
        RunResult result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = ReadFile(dir / "stdout");
        result.err = ReadFile(dir / "stderr");
        return result;
    }

    std::string MakeFile(const std::string& name, const std::string& bytes) {
        const std::string path = dir / name;
        WriteFile(path, bytes);
        return path;
    }

    TempDir dir;
};

