// The conversion job: one press of "Convert Data", from the four file names to one message.
//
// Nothing is written before every name has been checked and every file the job writes (the
// output, its maps, the JSON account) is opened, and none replaces an existing one before all
// are complete (OutputSet): a job that fails leaves every existing file as it was.
#include <memory>
#include <string>
#include <vector>

#include "bluebook/FileKind.h"
#include "bluebook/InputFile.h"
#include "common/FileSystem.h"
#include "convert/BlueBookConverter.h"
#include "convert/ConversionReport.h"
#include "convert/GeoJson.h"
#include "convert/Kml.h"
#include "convert/MapWriter.h"
#include "convert/Messages.h"
#include "convert/NetworkChecks.h"
#include "convert/Platform.h"
#include "output/OutputFile.h"
#include "output/OutputSet.h"

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

/// The message a job ends with: its number and arguments.
struct Outcome {
    int number = 0;
    std::vector<std::string> args;
};

template <typename Writer>
std::unique_ptr<MapWriter> Make(OutputFile& file) {
    return std::make_unique<Writer>(file);
}

/// The maps of the network a job writes when they are named (BlueBookConverter::m_mapPaths),
/// by their kind, in the order they are put in place: after the output, before the JSON
/// account. Each is guarded as every output of the job is.
const struct MapKind {
    const char* kind;
    std::unique_ptr<MapWriter> (*make)(OutputFile& file);
} kMapKinds[] = {
    {"geojson", &Make<GeoJsonWriter>},
    {"kml", &Make<KmlWriter>},
};

}  // namespace

/// One run of the job on a converter whose paths were fetched.
class BlueBookConverter::Job {
public:
    explicit Job(BlueBookConverter& converter) : c(converter) {}

    /// Checks the names in their order; false (after the message) when the job ends here.
    bool CheckNames() {
        for (const std::string* input : Inputs()) {
            if (!input->empty() && !c.FileExists(*input)) return Fail({kMsgFileDoesNotExist, {*input}});
        }
        if (c.m_outputPath.empty()) return Fail({kMsgEnterOutputName, {}});
        if (c.m_bFilePath.empty() && c.m_gFilePath.empty()) return Fail({kMsgEnterInputName, {}});
        AddOutputs();
        const OutputFailure failure =
            m_outputs.CheckNames({c.m_serfilPath, c.m_bFilePath, c.m_gFilePath});
        return failure.result == 0 || Fail(FailureOf(failure));
    }

    /// Opens every input named and makes sure that each looks like a Blue Book file of its
    /// field's kind, before anything is written; false (after the message) when one does not.
    bool OpenInputs() {
        for (const BlueBookFile field :
             {BlueBookFile::kSerfil, BlueBookFile::kBFile, BlueBookFile::kGFile}) {
            const std::string& path = Path(field);
            if (path.empty()) continue;
            InputFile& in = Input(field);
            if (!in.Open(path)) {
                c.m_systemError = in.SystemError();
                if (!in.ScratchFolder().empty()) {
                    return Fail({kMsgCannotMakeTemporary, {in.ScratchFolder()}});
                }
                return Fail({kMsgCannotOpen, {path}});
            }
            if (!CheckKind(field)) return false;
        }
        return true;
    }

    /// Reads the SERFIL file, when one is named; false (after the message) when it failed.
    bool ReadSerfil() {
        if (c.m_serfilPath.empty()) return true;
        int lineCounter = 0;
        int result = 0;
        c.ReadSerfil(Input(BlueBookFile::kSerfil), lineCounter, result);
        if (result <= 0) return true;
        return Fail(ReadFailure(result, lineCounter, c.m_serfilPath));
    }

    /// Writes every file asked for, and ends with the one message of the job. `moreReceivers`
    /// see what the readers read too.
    void Write(const std::vector<BlueBookReceiver*>& moreReceivers) {
        const Outcome outcome = WriteOutputs(moreReceivers);
        if (outcome.number != kMsgSuccess) m_outputs.Abandon();
        KeepOutcome(outcome);
        Show(outcome);
    }

private:
    const std::string& Path(BlueBookFile field) const {
        switch (field) {
            case BlueBookFile::kBFile: return c.m_bFilePath;
            case BlueBookFile::kGFile: return c.m_gFilePath;
            case BlueBookFile::kSerfil: break;
        }
        return c.m_serfilPath;
    }
    InputFile& Input(BlueBookFile field) { return m_inputs[static_cast<int>(field)]; }

    /// The open input of `field` is a file of its kind; false (after the message) when not.
    bool CheckKind(BlueBookFile field) {
        InputFile& in = Input(field);
        FileKindCount count;
        if (const int result = CountFileKinds(in, count); result != 0) {
            c.m_systemError = in.SystemError();
            return Fail(ReadFailure(result, count.linesRead, Path(field)));
        }
        std::string found;
        const int refusal = CheckFileKind(count, field, found);
        if (refusal == kMsgWrongKind) {
            return Fail({refusal, {Path(field), found, FileKindName(field)}});
        }
        if (refusal != 0) return Fail({refusal, {Path(field), found}});
        return true;
    }

    std::vector<const std::string*> Inputs() const {
        return {&c.m_serfilPath, &c.m_bFilePath, &c.m_gFilePath};
    }

    /// The files the job writes, in the order they are put in place: the output, the maps, and
    /// last the JSON account, which tells how the job ended and so is written whole at once.
    void AddOutputs() {
        m_out = &m_outputs.Add(c.m_outputPath);
        for (const MapKind& kind : kMapKinds) {
            const auto named = c.m_mapPaths.find(kind.kind);
            if (named == c.m_mapPaths.end() || named->second.empty()) continue;
            m_maps.push_back({&m_outputs.Add(named->second), named->second, &kind, nullptr});
        }
        if (!c.m_reportJsonPath.empty()) {
            m_json = &m_outputs.Add(c.m_reportJsonPath, OutputFile::kWholeText);
        }
    }

    /// The outcome in the account, for the front end and for the JSON account.
    void KeepOutcome(const Outcome& outcome) {
        c.KeptAccount().message = outcome.number;
        c.KeptAccount().messageText =
            FormatMessageText(c.m_platform.LoadMessageText(outcome.number), outcome.args);
    }

    /// The message of a reader's failure `result` on the file `path`.
    static Outcome ReadFailure(int result, int lineCounter, const std::string& path) {
        if (result == kMsgReadError) return {result, {std::to_string(lineCounter), path}};
        if (result == kMsgOutOfMemory) return {result, {}};
        return {result, {path}};
    }

    /// Opens every output, converts, completes every output and then puts each in place: the
    /// outcome of the job.
    Outcome WriteOutputs(const std::vector<BlueBookReceiver*>& moreReceivers) {
        if (const OutputFailure failure = m_outputs.Open(); failure.result) return FailureOf(failure);
        c.m_jobReceivers.clear();
        for (Map& map : m_maps) {
            map.writer = map.kind->make(*map.file);
            c.m_jobReceivers.push_back(map.writer.get());
        }
        c.m_jobReceivers.insert(c.m_jobReceivers.end(), moreReceivers.begin(), moreReceivers.end());
        std::unique_ptr<NetworkChecks> checks;
        if (c.m_checks) {
            checks = std::make_unique<NetworkChecks>(c.m_checkTolerances, c.m_semiMajorAxis,
                                                     c.m_inverseFlattening);
        }
        c.m_jobChecks = checks.get();
        const Outcome converted = Convert(*m_out);
        c.m_jobReceivers.clear();
        c.m_jobChecks = nullptr;
        if (converted.number != 0) return converted;
        for (Map& map : m_maps) {
            if (map.writer->Finish(&c.Account()) != 0) return WriteFailure(*map.file, map.path);
        }
        const Outcome success{kMsgSuccess, {c.m_outputPath}};
        if (m_json) {
            // Its own outcome, should it be put in place: it is, last, once the others are.
            KeepOutcome(success);
            m_json->Write(FormatReportJson(c.Account()));
        }
        if (const OutputFailure failure = m_outputs.Finish(); failure.result) return FailureOf(failure);
        if (const OutputFailure failure = m_outputs.Commit(); failure.result) return FailureOf(failure);
        return success;
    }

    /// The B-file (or the header alone), then the G-file; {0} when both converted.
    Outcome Convert(OutputFile& out) {
        if (!c.m_bFilePath.empty()) {
            if (Outcome o = ConvertFile(BlueBookFile::kBFile, out, &BlueBookConverter::ConvertBFile); o.number) return o;
        } else {
            int result = 0;
            c.WriteHeader(out, result);
            if (result > 0) return WriteFailure(out, c.m_outputPath);
        }
        if (!c.m_gFilePath.empty()) {
            if (Outcome o = ConvertFile(BlueBookFile::kGFile, out, &BlueBookConverter::ConvertGFile); o.number) return o;
        }
        // Every file read: what the network checks found about the network as a whole.
        if (c.m_jobChecks) c.KeptAccount().Concluded(c.m_jobChecks->Conclude());
        return {};
    }

    using Reader = void (BlueBookConverter::*)(InputFile&, OutputFile&, int&, int&);

    Outcome ConvertFile(BlueBookFile field, OutputFile& out, Reader read) {
        InputFile& in = Input(field);
        const std::string& path = Path(field);
        int lineCounter = 0;
        int result = 0;
        (c.*read)(in, out, lineCounter, result);
        if (result <= 0) return {};
        if (result == kMsgWriteError) return WriteFailure(out, c.m_outputPath);
        if (result == kMsgReadError) c.m_systemError = in.SystemError();
        return ReadFailure(result, lineCounter, path);
    }

    /// A write that failed while converting: the output's, or else the map's that stopped it.
    Outcome WriteFailure(const OutputFile& out, const std::string& path) {
        for (const Map& map : m_maps) {
            if (&out == map.file || out.HasError() || !map.file->HasError()) continue;
            c.m_systemError = map.file->SystemError();
            return {kMsgWriteError, {map.path}};
        }
        c.m_systemError = out.SystemError();
        return {kMsgWriteError, {path}};
    }

    Outcome FailureOf(const OutputFailure& failure) {
        c.m_systemError = failure.systemError;
        return {failure.result, {failure.path}};
    }

    bool Fail(const Outcome& outcome) {
        Show(outcome);
        return false;
    }
    void Show(const Outcome& outcome) { c.ReportMessage(outcome.number, 0, outcome.args); }

    /// A map of the network the job writes, and what writes it while the job runs.
    struct Map {
        OutputFile* file;
        std::string path;
        const MapKind* kind;
        std::unique_ptr<MapWriter> writer;
    };

    BlueBookConverter& c;
    OutputSet m_outputs;  // every file the job writes, guarded alike
    OutputFile* m_out = nullptr;
    std::vector<Map> m_maps;
    OutputFile* m_json = nullptr;
    InputFile m_inputs[3];  // by BlueBookFile: SERFIL, B-file, G-file
};

FileRefusal RefuseWrittenFiles(const std::vector<std::string>& inputs,
                               const std::vector<std::string>& written) {
    const OutputFailure failure = CheckWrittenFiles(inputs, written);
    return {failure.result, failure.path};
}

void BlueBookConverter::OnConvertData(const std::vector<BlueBookReceiver*>& moreReceivers) {
    try {
        m_systemError = 0;
        if (!m_platform.FetchFields(*this)) return;
        KeptAccount().Clear();
        // Each job starts from the default datum: only its own B-file may give another.
        m_datumName = kDefaultDatumName;
        m_semiMajorAxis = kDefaultSemiMajorAxis;
        m_inverseFlattening = kDefaultInverseFlattening;
        for (std::string* path : {&m_outputPath, &m_gFilePath, &m_serfilPath, &m_bFilePath}) {
            TrimWhiteSpace(*path);
        }
        Job job(*this);
        if (!job.CheckNames() || !job.OpenInputs()) return;
        m_serfilNumbers.clear();
        m_serfilNames.clear();
        m_stationNames.ForgetStationIds();
        m_recordComment.clear();
        if (!job.ReadSerfil()) return;
        job.Write(moreReceivers);
    } catch (...) {
        // Nothing leaves a job: memory running out, or anything a platform call throws, is
        // reported as the lack of memory it almost always is. Every file is closed by now.
        m_jobReceivers.clear();
        m_jobChecks = nullptr;
        try {
            ReportMessage(kMsgOutOfMemory, 0);
        } catch (...) {
            // The platform cannot show even that; the front end's own guard takes over.
        }
    }
}
