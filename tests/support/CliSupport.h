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
    /// Runs the program with `args`, standard input read from `input`.
    RunResult Run(const std::vector<std::string>& args, const std::string& input = "/dev/null") {
        std::string command = Quote(BB_CLI_EXE);
        for (const auto& arg : args) command += " " + Quote(arg);
        return RunCommand(command + " <" + Quote(input));
    }

    /// Runs a bash command line in which "PROGRAM" stands for the program.
    RunResult RunBash(std::string line) {
        for (std::size_t at; (at = line.find("PROGRAM")) != std::string::npos;) {
            line.replace(at, 7, Quote(BB_CLI_EXE));
        }
        return RunCommand("bash -c " + Quote(line) + " </dev/null");
    }

    RunResult RunCommand(const std::string& command) {
        const std::string redirected =
            command + " >" + Quote(dir / "stdout") + " 2>" + Quote(dir / "stderr");
        const int raw = std::system(redirected.c_str());
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

