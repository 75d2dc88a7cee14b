// Fuzz target for whole conversion jobs. The input holds up to three sections separated by the
// byte 0x1D: the SERFIL file, the B-file and the G-file (an empty section is not named). The job
// runs through a platform that names those files and an output file in a private folder.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

#include "convert/BlueBookConverter.h"
#include "convert/Messages.h"
#include "convert/Platform.h"

namespace {

namespace fs = std::filesystem;

const fs::path& WorkFolder() {
    static const fs::path folder = [] {
        fs::path path = fs::temp_directory_path() /
                        ("bb-fuzz-" + std::to_string(static_cast<long>(::getpid())));
        fs::create_directories(path);
        return path;
    }();
    return folder;
}

class FuzzPlatform : public Platform {
public:
    std::string serfil, bFile, gFile, output;
    int messages = 0;

    bool FetchFields(BlueBookConverter& c) override {
        c.m_serfilPath = serfil;
        c.m_bFilePath = bFile;
        c.m_gFilePath = gFile;
        c.m_outputPath = output;
        return true;
    }
    std::string LoadMessageText(int number) override { return CatalogueText(number); }
    int ShowMessage(const std::string&, unsigned, int) override { return ++messages; }
    bool NameExists(const std::string& path) override {
        std::error_code error;
        return fs::exists(path, error);
    }
};

std::string Store(const char* name, std::string_view bytes) {
    if (bytes.empty()) return {};
    const fs::path path = WorkFolder() / name;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::string_view sections[3];
    for (int i = 0; i < 3; ++i) {
        const std::size_t cut = i < 2 ? rest.find('\x1d') : std::string_view::npos;
        sections[i] = rest.substr(0, cut);
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
    FuzzPlatform platform;
    platform.serfil = Store("serfil", sections[0]);
    platform.bFile = Store("bfile", sections[1]);
    platform.gFile = Store("gfile", sections[2]);
    platform.output = (WorkFolder() / "output.txt").string();

    BlueBookConverter converter(platform);
    converter.OnConvertData();
    if (platform.messages != 1) __builtin_trap();  // exactly one message a job
    return 0;
}
