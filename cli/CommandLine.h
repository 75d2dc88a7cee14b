// The console program's command line: bbook2tellurax [OPTION]... -o OUTPUT.
#pragma once

#include <string>
#include <vector>

constexpr int kExitSuccess = 0;  // converted
constexpr int kExitFailure = 1;  // the conversion failed: its message on standard error
constexpr int kExitUsage = 2;    // a usage error
constexpr int kExitLook = 3;     // with --strict: converted, but the account holds warnings

/// Runs the console program for `args`, its arguments without the program's name (UTF-8 on
/// Windows; the bytes as given elsewhere): reads the options, runs the conversion job and
/// writes its messages on standard output and standard error. Returns the exit status.
int RunCommandLine(const std::vector<std::string>& args);
