// Fuzz target for whole conversion jobs. The input holds up to four sections separated by the
// byte 0x1D: the SERFIL file, the B-file, the G-file (an empty section is not named) and the
// switches: bit 0 of its first byte reads literally (--classic), bit 1 has the four outputs
// exist before the job. The job runs through a platform that names those files, an output file,
// a JSON account, a GeoJSON and a KML map in a private folder. It traps unless the job shows
// exactly one message, and either succeeds with the account and the GeoJSON valid JSON (no
// "nan", no "inf") and the KML complete, well-formed UTF-8 with only XML's own entities, or
// fails with every output as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include <unistd.h>

#include "convert/BlueBookConverter.h"
#include "convert/Messages.h"
#include "convert/Platform.h"
#include "support/JsonReader.h"

namespace {

namespace fs = std::filesystem;

const fs::path& WorkFolder() {
    static const fs::path folder = [] {
        static const fs::path path = fs::temp_directory_path() /
                                     ("bb-fuzz-" + std::to_string(static_cast<long>(::getpid())));
        fs::create_directories(path);
        std::atexit([] {  // gone with the run
            std::error_code error;
            fs::remove_all(path, error);
        });
        return path;
    }();
    return folder;
}

class FuzzPlatform : public Platform {
public:
    std::string serfil, bFile, gFile, output;
    int messages = 0;
    int last = 0;

    bool FetchFields(BlueBookConverter& c) override {
        c.m_serfilPath = serfil;
        c.m_bFilePath = bFile;
        c.m_gFilePath = gFile;
        c.m_outputPath = output;
        return true;
    }
    std::string LoadMessageText(int number) override { return CatalogueText(number); }
    int ShowMessage(const std::string&, unsigned, int number) override {
        last = number;
        return ++messages;
    }
    bool NameExists(const std::string& path) override {
        std::error_code error;
        return fs::exists(path, error);
    }
};

void WriteBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Store(const char* name, std::string_view bytes) {
    if (bytes.empty()) return {};
    WriteBytes(WorkFolder() / name, bytes);
    return (WorkFolder() / name).string();
}

/// The bytes of `path`; "(missing)" when it is not there.
std::string Contents(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return "(missing)";
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool IsJson(const std::string& text) {
    bool ok = false;
    JsonReader(text).ReadAll(ok);
    return ok;
}

/// True when `text` is whole (it ends the document), holds no byte that is not well-formed
/// UTF-8 nor a control character XML forbids, and every '&' begins one of XML's entities.
bool IsKml(const std::string& text) {
    static const std::string_view kEnd = "</kml>\n";
    if (text.size() < kEnd.size() || text.compare(text.size() - kEnd.size(), kEnd.size(), kEnd) != 0) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\n') return false;
        if (c == '&') {
            bool known = false;
            for (std::string_view entity : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"}) {
                known = known || text.compare(i, entity.size(), entity) == 0;
            }
            if (!known) return false;
        }
        if (c < 0x80) continue;
        const std::size_t length = c >= 0xf0 && c <= 0xf4 ? 4 : c >= 0xe0 ? 3 : c >= 0xc2 ? 2 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xc0) != 0x80) return false;
        }
        i += length - 1;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::string_view sections[4];
    for (int i = 0; i < 4; ++i) {
        const std::size_t cut = i < 3 ? rest.find('\x1d') : std::string_view::npos;
        sections[i] = rest.substr(0, cut);
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
    const unsigned switches = sections[3].empty() ? 0u : static_cast<unsigned char>(sections[3][0]);
    FuzzPlatform platform;
    platform.serfil = Store("serfil", sections[0]);
    platform.bFile = Store("bfile", sections[1]);
    platform.gFile = Store("gfile", sections[2]);
    const fs::path outputs[] = {WorkFolder() / "output.txt", WorkFolder() / "report.json",
                                WorkFolder() / "map.json", WorkFolder() / "map.kml"};
    for (const fs::path& path : outputs) {
        std::error_code error;
        fs::remove(path, error);
        if (switches & 2) WriteBytes(path, "earlier");
    }
    platform.output = outputs[0].string();

    BlueBookConverter converter(platform);
    if (switches & 1) converter.m_reading = Reading::kClassic;
    converter.m_reportJsonPath = outputs[1].string();
    converter.m_mapPaths["geojson"] = outputs[2].string();
    converter.m_mapPaths["kml"] = outputs[3].string();
    converter.OnConvertData();
    if (platform.messages != 1) __builtin_trap();  // exactly one message a job
    if (platform.last == kMsgSuccess) {
        if (!IsJson(Contents(outputs[1])) || !IsJson(Contents(outputs[2]))) __builtin_trap();
        if (!IsKml(Contents(outputs[3]))) __builtin_trap();
    } else {
        const std::string before = (switches & 2) ? "earlier" : "(missing)";
        for (const fs::path& path : outputs) {
            if (Contents(path) != before) __builtin_trap();  // a failed job changes no file
        }
    }
    return 0;
}
