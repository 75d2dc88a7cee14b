#include "output/OutputSet.h"

#include "common/FileSystem.h"
#include "common/ResultCodes.h"

OutputFile& OutputSet::Add(const std::string& path, std::size_t bufferSize) {
    m_outputs.push_back({path, bufferSize, std::make_unique<OutputFile>()});
    return *m_outputs.back().file;
}

OutputFailure CheckWrittenFiles(const std::vector<std::string>& inputs,
                                const std::vector<std::string>& written) {
    for (std::size_t i = 0; i < written.size(); ++i) {
        const std::string& path = written[i];
        if (path.empty()) continue;
        const FileIdentity identity = OutputIdentity(path);
        for (const std::string& input : inputs) {
            if (!input.empty() && identity == InputIdentity(input)) return {kMsgOutputIsInput, path};
        }
        for (std::size_t k = 0; k < i; ++k) {
            if (SameOutput(path, written[k])) return {kMsgTwoOutputs, path};
        }
    }
    return {};
}

OutputFailure OutputSet::CheckNames(const std::vector<std::string>& inputs) const {
    std::vector<std::string> written;
    for (const Output& output : m_outputs) written.push_back(output.path);
    return CheckWrittenFiles(inputs, written);
}

OutputFailure OutputSet::Failed(const Output& output, int result) {
    OutputFailure failure{result, output.path, output.file->SystemError()};
    Abandon();
    return failure;
}

OutputFailure OutputSet::Open() {
    for (Output& output : m_outputs) {
        if (!output.file->Open(output.path, output.bufferSize)) {
            return Failed(output, kMsgCannotOpen);
        }
    }
    return {};
}

OutputFailure OutputSet::Finish() {
    for (Output& output : m_outputs) {
        if (!output.file->Finish()) return Failed(output, output.file->Failure());
    }
    return {};
}

OutputFailure OutputSet::Commit() {
    InterruptionsDeferred deferred;  // all in place, or all as they were
    for (std::size_t i = 0; i < m_outputs.size(); ++i) {
        OutputFile& file = *m_outputs[i].file;
        if (!file.Commit()) {
            for (std::size_t k = 0; k < i; ++k) m_outputs[k].file->Rollback();
            return Failed(m_outputs[i], file.Failure());
        }
    }
    for (Output& output : m_outputs) output.file->Release();
    return {};
}

void OutputSet::Abandon() {
    for (Output& output : m_outputs) output.file->Abandon();
}
