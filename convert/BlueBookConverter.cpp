#include "convert/BlueBookConverter.h"

#include "bluebook/BFile.h"
#include "bluebook/InputFile.h"
#include "bluebook/GFile.h"
#include "bluebook/RecordLine.h"
#include "bluebook/Serfil.h"
#include "convert/ConversionReport.h"
#include "convert/Messages.h"
#include "convert/Platform.h"
#include "convert/TelluraxWriter.h"
#include "output/Header.h"

BlueBookConverter::BlueBookConverter(Platform& platform)
    : m_datumName(kDefaultDatumName),
      m_semiMajorAxis(kDefaultSemiMajorAxis),
      m_inverseFlattening(kDefaultInverseFlattening),
      m_platform(platform) {}

BlueBookConverter::~BlueBookConverter() = default;

int BlueBookConverter::ReportMessage(int number, unsigned style,
                                     const std::vector<std::string>& args) {
    const std::string text = FormatMessageText(m_platform.LoadMessageText(number), args);
    return m_platform.ShowMessage(text, style, number);
}

bool BlueBookConverter::FileExists(const std::string& path) const {
    return !path.empty() && m_platform.NameExists(path);
}

void BlueBookConverter::ReadSerfil(int& lineCounter, int& result) {
    m_serfilNumbers.clear();
    m_serfilNames.clear();
    lineCounter = 0;
    InputFile serfil;
    if (!serfil.Open(m_serfilPath)) {
        m_systemError = serfil.SystemError();
        result = kMsgCannotOpen;
        return;
    }
    ReadSerfil(serfil, lineCounter, result);
}

void BlueBookConverter::ReadSerfil(InputFile& serfil, int& lineCounter, int& result) {
    m_serfilNumbers.clear();
    m_serfilNames.clear();
    m_stationNames.ForgetUse();
    lineCounter = 0;
    ConversionReport& account = KeptAccount();
    account.StartFile(BlueBookFile::kSerfil, m_serfilPath);
    result = ReadSerfilFile(serfil, m_serfilNumbers, m_serfilNames, account, lineCounter);
    if (result == 0 && serfil.Changed()) result = kMsgInputChanged;
    if (result == kMsgReadError) m_systemError = serfil.SystemError();
}

std::string_view BlueBookConverter::GetFieldStation(int column, int width,
                                                    std::string_view line) const {
    return LookupStationName(GetFieldText(column, width, line), static_cast<std::size_t>(width),
                             m_serfilNumbers, m_serfilNames);
}

template <typename Read>
int BlueBookConverter::WithReceivers(BlueBookFile file, const std::string& path, OutputFile& out,
                                     Read read) {
    TelluraxWriter writer(*this, out);
    ConversionReport& account = KeptAccount();
    account.StartFile(file, path);
    std::vector<BlueBookReceiver*> receivers{&writer, &account};
    receivers.insert(receivers.end(), m_jobReceivers.begin(), m_jobReceivers.end());
    ReceiverFan fan(std::move(receivers));
    BlueBookReceiver* first = &fan;
    if (m_jobChecks) {
        m_jobChecks->HandOnTo(fan);
        first = m_jobChecks;
    }
    m_stationNames.Index(m_serfilNumbers, m_serfilNames);
    const int result = read(*first);
    m_stationNames.Unindex();
    account.SetSerfilUse(m_stationNames.Used());
    return result;
}

void BlueBookConverter::ConvertBFile(InputFile& bFile, OutputFile& out, int& lineCounter,
                                     int& result) {
    m_recordComment.clear();
    m_stationNames.ForgetStationIds();
    result = WithReceivers(BlueBookFile::kBFile, m_bFilePath, out, [&](BlueBookReceiver& receiver) {
        return ReadBFile(bFile, m_stationNames, m_reading, receiver, lineCounter);
    });
}

void BlueBookConverter::ConvertGFile(InputFile& gFile, OutputFile& out, int& lineCounter,
                                     int& result) {
    result = WithReceivers(BlueBookFile::kGFile, m_gFilePath, out, [&](BlueBookReceiver& receiver) {
        return ReadGFile(gFile, m_stationNames, m_reading, receiver, lineCounter);
    });
}

ConversionReport& BlueBookConverter::KeptAccount() {
    if (!m_ownReport) m_ownReport = std::make_unique<ConversionReport>();
    return *m_ownReport;
}

const ConversionReport& BlueBookConverter::Account() const {
    static const ConversionReport kNone;
    return m_ownReport ? *m_ownReport : kNone;
}

void BlueBookConverter::WriteHeader(OutputFile& out, int& result) {
    ::WriteHeader(m_recordComment, m_datumName, m_semiMajorAxis, m_inverseFlattening, out,
                  result);
}
