// The conversion job: one press of "Convert Data", from the four file names to one message.
#include <new>
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

}  // namespace

void BlueBookConverter::OnConvertData() {
    try {
        if (!m_platform.FetchFields(*this)) return;
        if (m_report) m_report->Clear();
        TrimWhiteSpace(m_outputPath);
        TrimWhiteSpace(m_gFilePath);
        TrimWhiteSpace(m_serfilPath);
        TrimWhiteSpace(m_bFilePath);

        for (const std::string* input : {&m_serfilPath, &m_bFilePath, &m_gFilePath}) {
            if (!input->empty() && !FileExists(*input)) {
                ReportMessage(kMsgFileDoesNotExist, 0, {*input});
                return;
            }
        }
        if (m_outputPath.empty()) {
            ReportMessage(kMsgEnterOutputName, 0);
            return;
        }
        if (m_bFilePath.empty() && m_gFilePath.empty()) return;  // nothing to convert
        // Opening the output empties it: never when it is one of the inputs.
        for (const std::string* input : {&m_serfilPath, &m_bFilePath, &m_gFilePath}) {
            if (SameFile(m_outputPath, *input)) {
                ReportMessage(kMsgOutputIsInput, 0, {m_outputPath});
                return;
            }
        }

        int lineCounter = 0;
        int result = 0;
        m_serfilNumbers.clear();
        m_serfilNames.clear();
        m_recordComment.clear();

        if (!m_serfilPath.empty()) {
            ReadSerfil(lineCounter, result);
            if (result == kMsgReadError) {
                ReportMessage(result, 0, {std::to_string(lineCounter), m_serfilPath});
                return;
            }
            if (result > 0) {
                ReportMessage(result, 0, {m_serfilPath});
                return;
            }
        }

        OutputFile out;
        if (!out.Open(m_outputPath)) {
            ReportMessage(kMsgCannotOpen, 0, {m_outputPath});
            return;
        }

        const std::string* readPath = nullptr;  // the input whose pass ran last
        if (!m_bFilePath.empty()) {
            InputFile bFile;
            if (!bFile.Open(m_bFilePath)) {
                out.Close();
                ReportMessage(kMsgCannotOpen, 0, {m_bFilePath});
                return;
            }
            ConvertBFile(bFile, out, lineCounter, result);
            readPath = &m_bFilePath;
        } else {
            WriteHeader(out, result);
        }

        if (result <= 0 && !m_gFilePath.empty()) {
            InputFile gFile;
            if (!gFile.Open(m_gFilePath)) {
                out.Close();
                ReportMessage(kMsgCannotOpen, 0, {m_gFilePath});
                return;
            }
            ConvertGFile(gFile, out, lineCounter, result);
            readPath = &m_gFilePath;
        }

        // Both files converted: compare the B-file's stations with the vectors' end points.
        if (m_report && result <= 0 && !m_bFilePath.empty() && !m_gFilePath.empty()) {
            m_report->CompareStations();
        }

        // A full disk may show only when the last bytes are flushed.
        const bool closed = out.Close();
        if (result <= 0) {
            ReportMessage(closed ? kMsgSuccess : kMsgWriteError, 0, {m_outputPath});
        } else if (result == kMsgReadError) {
            ReportMessage(result, 0,
                          {std::to_string(lineCounter), readPath ? *readPath : std::string()});
        } else if (result == kMsgOutOfMemory) {
            ReportMessage(result, 0);
        } else {
            ReportMessage(result, 0, {m_outputPath});
        }
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
