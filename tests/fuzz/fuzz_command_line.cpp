// Fuzz target for the console program's command line. The input is the argument list, one
// argument a line (at most 24 of at most 400 bytes). The program runs in a private folder that
// holds a SERFIL file, a B-file and a G-file, a symbolic link to the B-file, a hard link to the
// G-file, a dangling link, a sub-folder, and a B-file on standard input ("-"). It traps when an
// input's bytes change, a file other than the outputs named appears or a temporary file stays,
// the exit status is not 0 to 3, or a failure's first line lacks the program's name.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CommandLine.h"
#include "common/Guard.h"

namespace {

namespace fs = std::filesystem;

const char kSerfil[] = "AAAA   0001\nBBBB   0002\n";
const char kBFile[] =
    "000010*AA*EXAMPLE\n"
    "000020*80*0001RADIO MAST                    39450312345N104591523456W162045\n"
    "000030*80*0002WATER TOWER                   39452098765N104583301234W161830\n"
    "000040*20*000101                   0152           00010180     00000000001000050\n"
    "000050*22*000102                                  00020180     03427145001000050\n";
const char kGFile[] =
    "B                        01\n"
    "C00010002      10000   10      20000   20      30000   30\n"
    "D296297  5000000\n";

/// The private folder (the working folder of every run), its scratch folder (TMPDIR) and the
/// file standard error goes to; made once.
struct Place {
    fs::path work, scratch, errors;
    std::map<fs::path, std::string> files;  // the regular files made, with their bytes
    std::set<fs::path> entries;             // every name made, links and folders too
};

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Contents(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

const Place& SetUp() {
    static const Place place = [] {
        Place p;
        const fs::path base = fs::temp_directory_path() / ("bb-fuzz-cli-" + std::to_string(getpid()));
        p.work = base / "work";
        p.scratch = base / "scratch";
        p.errors = base / "errors";
        fs::create_directories(p.work / "sub");
        static const fs::path made = base;
        std::atexit([] {
            std::error_code error;
            fs::remove_all(made, error);
        });
        fs::create_directories(p.scratch);
        p.files = {{p.work / "serfil", kSerfil}, {p.work / "job.bfl", kBFile},
                   {p.work / "job.gfl", kGFile}, {p.work / "stdin.bfl", kBFile},
                   {p.work / "sub" / "old.txt", "earlier output\n"}};
        for (const auto& [path, bytes] : p.files) WriteBytes(path, bytes);
        fs::create_symlink("job.bfl", p.work / "link");
        fs::create_hard_link(p.work / "job.gfl", p.work / "hard");
        fs::create_symlink("nowhere.txt", p.work / "dangling");
        for (const auto& entry : fs::recursive_directory_iterator(p.work)) p.entries.insert(entry.path());
        fs::current_path(p.work);
        setenv("TMPDIR", p.scratch.c_str(), 1);
        const int in = open((p.work / "stdin.bfl").c_str(), O_RDONLY);
        dup2(in, 0);
        close(in);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);  // "-o -" and --help write here
        close(null);
        return p;
    }();
    return place;
}

/// `name` without the white space the job trims from the four names of its fields.
std::string Trimmed(const std::string& name) {
    const char* const white = " \t\r\n\v\f";
    const std::size_t first = name.find_first_not_of(white);
    if (first == std::string::npos) return {};
    return name.substr(first, name.find_last_not_of(white) + 1 - first);
}

/// The file names the command line gives its inputs (-s, -b, -g) and its outputs, read as the
/// program reads options (and trims the names of the four fields); the tolerances' list is no
/// file, but takes its argument as they do.
void NamedFiles(const std::vector<std::string>& args, std::vector<std::string>& inputs,
                std::vector<std::string>& outputs) {
    enum Role { kInput, kOutput, kNoFile };
    const struct {
        const char* shortName;
        const char* longName;
        Role role;
    } options[] = {{"-s", "--serfil", kInput},          {"-b", "--bfile", kInput},
                   {"-g", "--gfile", kInput},           {"-o", "--output", kOutput},
                   {nullptr, "--report-json", kOutput}, {nullptr, "--geojson", kOutput},
                   {nullptr, "--kml", kOutput},         {nullptr, "--check-tolerances", kNoFile}};
    std::vector<std::string> unused;
    for (std::size_t i = 0; i < args.size() && args[i] != "--"; ++i) {
        const std::string& arg = args[i];
        for (const auto& option : options) {
            std::vector<std::string>& names =
                option.role == kInput ? inputs : option.role == kOutput ? outputs : unused;
            const std::string longEq = std::string(option.longName) + "=";
            const bool shortForm = option.shortName && arg.compare(0, 2, option.shortName) == 0;
            std::string name;
            if (arg == option.longName || (shortForm && arg.size() == 2)) {
                if (i + 1 == args.size()) return;  // a usage error
                name = args[++i];
            } else if (arg.compare(0, longEq.size(), longEq) == 0) {
                name = arg.substr(longEq.size());
            } else if (shortForm) {
                name = arg.substr(2);
            } else {
                continue;
            }
            names.push_back(option.shortName ? Trimmed(name) : name);
            break;
        }
    }
}

/// Where writing the name `name` may land in the folder: the name, and through a link what it
/// points to, even when that is missing.
std::set<fs::path> Landings(const Place& place, const std::string& name) {
    std::set<fs::path> paths;
    if (name.empty() || name == "-") return paths;
    const fs::path path = (place.work / name).lexically_normal();
    paths.insert(path);
    std::error_code error;
    paths.insert(fs::weakly_canonical(path, error));
    if (fs::is_symlink(path, error)) {
        paths.insert((path.parent_path() / fs::read_symlink(path, error)).lexically_normal());
    }
    return paths;
}

/// Whether the program may be given `arg`: no name leaves the private folder, except the
/// devices and descriptors of the program itself (not standard error, where its messages go).
bool Confined(const std::string& arg) {
    static const std::set<std::string> kDevices = {
        "/dev/null", "/dev/full",  "/dev/stdin",       "/dev/stdout",
        "/dev/fd/0", "/dev/fd/1", "/proc/self/fd/0", "/proc/self/fd/1"};
    if (arg.find("..") != std::string::npos) return false;
    const std::size_t equals = arg.find('=');
    for (const std::string& name :
         {arg, arg.size() > 2 ? arg.substr(2) : std::string(),
          equals == std::string::npos ? std::string() : arg.substr(equals + 1)}) {
        if (!name.empty() && name[0] == '/' && !kDevices.count(name)) return false;
    }
    return true;
}

/// Runs the program with standard error in the errors file; returns its exit status.
int RunWithErrors(const Place& place, const std::vector<std::string>& args) {
    std::fflush(stderr);
    const int saved = dup(2);
    const int errors = open(place.errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(errors, 2);
    close(errors);
    lseek(0, 0, SEEK_SET);  // standard input as it was at start
    std::clearerr(stdin);
    const int status = RunGuarded([&] { return RunCommandLine(args); }, [] {}, kExitFailure);
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    return status;
}

/// Checks the folder after a run and puts it back as it was; false when a check failed.
bool CheckAndRestore(const Place& place, const std::vector<std::string>& args) {
    std::vector<std::string> inputs, outputs;
    NamedFiles(args, inputs, outputs);
    std::set<fs::path> written, read;
    for (const std::string& name : outputs) written.merge(Landings(place, name));
    for (const std::string& name : inputs) read.merge(Landings(place, name == "-" ? "stdin.bfl" : name));
    bool ok = fs::is_empty(place.scratch);
    for (const auto& [path, bytes] : place.files) {
        if (Contents(path) == bytes) continue;
        // Only an output may change, never an input, by any of its names ("hard" is the G-file).
        std::set<fs::path> names = {path};
        if (path.filename() == "job.gfl") names.insert(place.work / "hard");
        bool output = false;
        for (const fs::path& name : names) {
            output = output || written.count(name);
            if (read.count(name)) ok = false;
        }
        ok = ok && output;
        WriteBytes(path, bytes);
    }
    std::vector<fs::path> added;
    for (const auto& entry : fs::recursive_directory_iterator(place.work)) {
        if (!place.entries.count(entry.path())) added.push_back(entry.path());
    }
    for (const fs::path& path : added) {
        ok = ok && written.count(path);  // a temporary file left is named by no option
        std::error_code error;
        fs::remove_all(path, error);
    }
    return ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Place& place = SetUp();
    std::vector<std::string> args;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    while (!rest.empty() && args.size() < 24) {
        const std::size_t cut = rest.find('\n');
        args.emplace_back(rest.substr(0, std::min<std::size_t>(cut, 400)));
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
    for (const std::string& arg : args) {
        // No command line holds a NUL; nothing outside the folder is for the fuzzer to write.
        if (arg.find('\0') != std::string::npos || !Confined(arg)) return 0;
    }
    const int status = RunWithErrors(place, args);
    if (status < 0 || status > 3) __builtin_trap();
    const std::string errors = Contents(place.errors);
    if ((status == 1 || status == 2) && errors.compare(0, 16, "bbook2tellurax: ") != 0) {
        __builtin_trap();
    }
    if (!CheckAndRestore(place, args)) __builtin_trap();
    return 0;
}
