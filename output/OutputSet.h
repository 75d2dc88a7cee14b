// The files one job writes, guarded alike: none may be an input or another of them; every one
// is opened (its target checked, its temporary file made) before anything is converted; all are
// complete before any is put in place; they are put in place in the order they were added, and
// should one fail, those put in place before it are put back. A job that fails therefore changes
// no file, except what it wrote directly to standard output, a descriptor, a device or a pipe.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "output/OutputFile.h"

/// Why a step failed: the catalogue message (0: none), the path it names and the system's
/// error number (errno, 0 when not known).
struct OutputFailure {
    int result = 0;
    std::string path;
    int systemError = 0;
};

/// The guard of the names of the files written, `written` in the order they are named: 1519
/// for the first that writes one of `inputs` (names as given, "-" standard input; empty names
/// are neither), 1522 for the first that writes the same file as an earlier one, by any
/// spelling, link, letter case or descriptor ("-" standard output).
OutputFailure CheckWrittenFiles(const std::vector<std::string>& inputs,
                                const std::vector<std::string>& written);

class OutputSet {
public:
    /// Adds the output `path`, put in place after those added before it, its text written in
    /// blocks of `bufferSize` bytes (OutputFile::Open). The file stays at its address.
    OutputFile& Add(const std::string& path, std::size_t bufferSize = 1 << 16);

    /// CheckWrittenFiles for the outputs added.
    OutputFailure CheckNames(const std::vector<std::string>& inputs) const;
    /// Opens every output, in order; 1516 for the first that cannot be opened.
    OutputFailure Open();
    /// Finishes every output; 1517 for the first whose writing failed.
    OutputFailure Finish();
    /// Puts every output in place, in order; 1516 or 1517 for the first that fails, with those
    /// before it put back.
    OutputFailure Commit();
    /// Closes every output without putting any in place.
    void Abandon();

private:
    struct Output {
        std::string path;
        std::size_t bufferSize;
        std::unique_ptr<OutputFile> file;
    };

    /// Abandons every output and returns the failure of `output`.
    OutputFailure Failed(const Output& output, int result);

    std::vector<Output> m_outputs;
};
