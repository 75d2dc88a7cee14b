// The conversion job: one press of "Convert Data", from the four file names to one message.
#include <string>

#include "bluebook/InputFile.h"
#include "common/FileSystem.h"
#include "convert/BlueBookConverter.h"
#include "convert/ConversionReport.h"
#include "convert/Messages.h"
#include "convert/Platform.h"
#include "output/OutputFile.h"

namespace {

/// Removes blanks, tabs, carriage returns, line feeds, vertical tabs and form feeds at both ends.
void TrimWhiteSpace(std::string& text) {
    constexpr const char* kWhite = " \t\r\n\v\f";
    const std::size_t first = text.find_first_not_of(kWhite);
    if (first == std::string::npos) {
        text.clear();
        return;
    }
    text.erase(text.find_last_not_of(kWhite) + 1);
    text.erase(0, first);
}

/// One run of the job on a converter whose paths were fetched.
class Job {
public:
    explicit Job(BlueBookConverter& converter) : c(converter) {}

    /// Checks the names in their order; false (after the message, or silently when there is
    /// nothing to convert) when the job ends here.
    bool CheckNames() {
        for (const std::string* input : {&c.m_serfilPath, &c.m_bFilePath, &c.m_gFilePath}) {
            if (!input->empty() && !c.FileExists(*input)) {
                c.ReportMessage(kMsgFileDoesNotExist, 0, {*input});
                return false;
            }
        }
        if (c.m_outputPath.empty()) {
            c.ReportMessage(kMsgEnterOutputName, 0);
            return false;
        }
        if (c.m_bFilePath.empty() && c.m_gFilePath.empty()) return false;  // nothing to convert
        // Opening the output empties it: never when it is one of the inputs.
        for (const std::string* input : {&c.m_serfilPath, &c.m_bFilePath, &c.m_gFilePath}) {
            if (SameFile(c.m_outputPath, *input)) {
                c.ReportMessage(kMsgOutputIsInput, 0, {c.m_outputPath});
                return false;
            }
        }
        return true;
    }

    /// Reads the SERFIL file, when one is named; false (after the message) when it failed.
    bool ReadSerfil() {
        if (c.m_serfilPath.empty()) return true;
        c.ReadSerfil(m_lineCounter, m_result);
        if (m_result == kMsgReadError) {
            c.ReportMessage(m_result, 0, {std::to_string(m_lineCounter), c.m_serfilPath});
        } else if (m_result > 0) {
            c.ReportMessage(m_result, 0, {c.m_serfilPath});
        }
        return m_result <= 0;
    }

    /// Writes the output: the B-file (or the header alone), then the G-file. False (after the
    /// message) when an input could not be opened; other failures stay in m_result.
    bool Convert(OutputFile& out) {
        if (!c.m_bFilePath.empty()) {
            if (!ConvertFile(c.m_bFilePath, out, &BlueBookConverter::ConvertBFile)) return false;
        } else {
            c.WriteHeader(out, m_result);
        }
        if (m_result <= 0 && !c.m_gFilePath.empty()) {
            if (!ConvertFile(c.m_gFilePath, out, &BlueBookConverter::ConvertGFile)) return false;
        }
        // Both files converted: compare the B-file's stations with the vectors' end points.
        if (c.m_report && m_result <= 0 && !c.m_bFilePath.empty() && !c.m_gFilePath.empty()) {
            c.m_report->CompareStations();
        }
        return true;
    }

    /// The one message of a job whose output was opened, once it is closed.
    void ReportOutcome(bool closed) {
        if (m_result <= 0) {
            c.ReportMessage(closed ? kMsgSuccess : kMsgWriteError, 0, {c.m_outputPath});
        } else if (m_result == kMsgReadError) {
            c.ReportMessage(m_result, 0, {std::to_string(m_lineCounter), m_readPath});
        } else if (m_result == kMsgOutOfMemory) {
            c.ReportMessage(m_result, 0);
        } else {
            c.ReportMessage(m_result, 0, {c.m_outputPath});
        }
    }

private:
    using Reader = void (BlueBookConverter::*)(InputFile&, OutputFile&, int&, int&);

    bool ConvertFile(const std::string& path, OutputFile& out, Reader read) {
        InputFile in;
        if (!in.Open(path)) {
            out.Close();
            c.ReportMessage(kMsgCannotOpen, 0, {path});
            return false;
        }
        (c.*read)(in, out, m_lineCounter, m_result);
        m_readPath = path;
        return true;
    }

    BlueBookConverter& c;
    int m_lineCounter = 0;
    int m_result = 0;
    std::string m_readPath;  // the input whose pass ran last
};

}  // namespace

void BlueBookConverter::OnConvertData() {
    try {
        if (!m_platform.FetchFields(*this)) return;
        if (m_report) m_report->Clear();
        for (std::string* path : {&m_outputPath, &m_gFilePath, &m_serfilPath, &m_bFilePath}) {
            TrimWhiteSpace(*path);
        }
        Job job(*this);
        if (!job.CheckNames()) return;
        m_serfilNumbers.clear();
        m_serfilNames.clear();
        m_stationNames.ForgetStationIds();
        m_recordComment.clear();
        if (!job.ReadSerfil()) return;

        OutputFile out;
        if (!out.Open(m_outputPath)) {
            ReportMessage(kMsgCannotOpen, 0, {m_outputPath});
            return;
        }
        if (!job.Convert(out)) return;
        // A full disk may show only when the last bytes are flushed.
        const bool closed = out.Close();
        job.ReportOutcome(closed);
    } catch (...) {
        // Nothing leaves a job: memory running out, or anything a platform call throws, is
        // reported as the lack of memory it almost always is. Every file is closed by now.
        try {
            ReportMessage(kMsgOutOfMemory, 0);
        } catch (...) {
            // The platform cannot show even that; the front end's own guard takes over.
        }
    }
}
