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
    : m_datumName("NAD 83"),
      m_semiMajorAxis(6378137.0),
      m_inverseFlattening(298.2572221),
      m_platform(platform) {}

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
    m_stationNames.ForgetUse();
    lineCounter = 0;
    InputFile serfil;
    if (!serfil.Open(m_serfilPath)) {
        result = kMsgCannotOpen;
        return;
    }
    BlueBookReceiver none;
    BlueBookReceiver& receiver = m_report ? static_cast<BlueBookReceiver&>(*m_report) : none;
    if (m_report) m_report->StartFile(BlueBookFile::kSerfil, m_serfilPath);
    result = ReadSerfilFile(serfil, m_serfilNumbers, m_serfilNames, receiver, lineCounter);
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
    std::vector<BlueBookReceiver*> receivers{&writer};
    if (m_report) {
        m_report->StartFile(file, path);
        receivers.push_back(m_report);
    }
    if (m_extraReceiver) receivers.push_back(m_extraReceiver);
    ReceiverFan fan(std::move(receivers));
    m_stationNames.Index(m_serfilNumbers, m_serfilNames);
    const int result = read(fan);
    m_stationNames.Unindex();
    if (m_report) m_report->SetSerfilUse(m_stationNames.Used());
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

void BlueBookConverter::WriteHeader(OutputFile& out, int& result) {
    ::WriteHeader(m_recordComment, m_datumName, m_semiMajorAxis, m_inverseFlattening, out,
                  result);
}
