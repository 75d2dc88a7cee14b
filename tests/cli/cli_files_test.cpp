// The files around a conversion, as a hostile user could arrange them: an input is never
// written however it is named, a job that fails changes no file, replacing a file keeps what the
// user had, and an interrupted job leaves nothing behind.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "support/CliSupport.h"

namespace {

namespace fs = std::filesystem;

const std::string kProject = BB_SOURCE_DIR "/examples/project.bfl";
const std::string kHeaderStart = "\r\n!B-File Record Type 13\r\n$DATUM";

class Files : public Cli {
protected:
    /// Runs a bash line as an ordinary user: "nobody" when the tests run as the superuser,
    /// whom permissions do not stop.
    RunResult RunAsUser(const std::string& line) {
        return RunBash((geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "") +
                       line);
    }

    /// The names in the test's folder.
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            names.insert(entry.path().filename().string());
        }
        names.erase("stdout");
        names.erase("stderr");
        return names;
    }
};

std::string Cmd(const std::vector<std::string>& args) {
    std::string line = "PROGRAM";
    for (const std::string& arg : args) line += " " + Quote(arg);
    return line;
}

TEST_F(Files, AnInputIsNeverWrittenHoweverItIsNamed) {
    const std::string b = MakeFile("job.bfl", ReadFile(kProject));
    const std::string g = MakeFile("empty.gfl", "");
    fs::create_symlink(b, dir / "link");
    const struct {
        std::string name;
        const char* option;  // the input's option, in turn -s, -b and -g
        bool standardInput;
    } ways[] = {{b, "-s", false},           {"-", "-b", true},        {dir / "link", "-g", false},
                {"/dev/stdin", "-s", true}, {"/dev/fd/0", "-b", true}};
    for (const auto& way : ways) {
        for (const char* output : {"-o", "--report-json", "--geojson"}) {
            std::vector<std::string> args = {way.option, way.name, "-o", dir / "out.txt"};
            if (std::string(way.option) == "-s") args.insert(args.end(), {"-g", g});
            if (std::string(output) == "-o") args[3] = b;
            if (std::string(output) != "-o") args.insert(args.end(), {output, b});
            const RunResult r = RunBash(Cmd(args) + (way.standardInput ? " <" + Quote(b) : ""));
            EXPECT_EQ(r.status, 1) << way.name << " " << output;
            EXPECT_EQ(r.err, "bbook2tellurax: Output file " + b + " is also an input file\n")
                << way.name << " " << output;
            EXPECT_EQ(ReadFile(b), ReadFile(kProject));
            EXPECT_FALSE(fs::exists(dir / "out.txt"));
        }
    }
}

TEST_F(Files, StandardInputIsReadFromWhereItStoodForEveryPass) {
    // Two height differences ahead of the project: read by the shell, never converted.
    const std::string skipped =
        "000170*45*0003                     004            0004         0000488200050\n";
    const std::string b = MakeFile("job.bfl", skipped + skipped + ReadFile(kProject));
    ASSERT_EQ(Run({"-b", kProject, "-o", dir / "whole.txt"}).status, 0);
    const RunResult r = RunBash("{ read -r a; read -r b; PROGRAM -q -b - -o " +
                                Quote(dir / "rest.txt") + "; } <" + Quote(b));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(dir / "rest.txt"), ReadFile(dir / "whole.txt"));
}

// Whichever output fails, and however, every existing file keeps its bytes and no file is
// created: an output that cannot be opened stops the job before it converts; one that cannot be
// written fails after the outputs before it were put in place, and they are put back. Renamed
// into place (the owner's run) or copied in (another user's files), alike.
TEST_F(Files, AJobThatFailsAtAnyOutputChangesNoFile) {
    fs::permissions(dir.path(), fs::perms::all);
    fs::create_directory(dir / "locked");
    fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec |
                                        fs::perms::others_read | fs::perms::others_exec);
    MakeFile("job.bfl", ReadFile(kProject));
    const std::string options[] = {"-o", "--geojson", "--kml", "--report-json"};
    const std::string existing[] = {dir / "out.txt", dir / "map.json", dir / "map.kml",
                                    dir / "report.json"};
    const struct {
        std::string path;
        std::string message;
    } failures[] = {
        {dir / "missing/x", "Cannot open file " + (dir / "missing/x") + ": No such file or directory"},
        {dir / "locked/x", "Cannot open file " + (dir / "locked/x") + ": Permission denied"},
        {"/dev/full", "File write error /dev/full: No space left on device"},
    };
    for (const bool asUser : {false, true}) {
        for (const auto& failure : failures) {
            // Permissions do not stop the superuser.
            if (!asUser && geteuid() == 0 && failure.path == dir / "locked/x") continue;
            for (int failing = 0; failing < 4; ++failing) {
                std::vector<std::string> args = {"-b", dir / "job.bfl"};
                for (int i = 0; i < 4; ++i) {
                    WriteFile(existing[i], "old\n");
                    fs::permissions(existing[i], fs::perms::owner_read | fs::perms::owner_write |
                                                     fs::perms::group_read | fs::perms::group_write |
                                                     fs::perms::others_read | fs::perms::others_write);
                    args.insert(args.end(), {options[i], i == failing ? failure.path : existing[i]});
                }
                const std::set<std::string> before = Names();
                const RunResult r = asUser ? RunAsUser(Cmd(args)) : RunBash(Cmd(args));
                const std::string what = failure.path + " as " + options[failing];
                EXPECT_EQ(r.status, 1) << what;
                EXPECT_EQ(r.err, "bbook2tellurax: " + failure.message + "\n") << what;
                for (const std::string& path : existing) EXPECT_EQ(ReadFile(path), "old\n") << what;
                EXPECT_EQ(Names(), before) << what;
            }
        }
    }
    fs::permissions(dir / "locked", fs::perms::owner_all);
}

struct stat StatOf(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info;
}

TEST_F(Files, ReplacingKeepsWhatTheUserHad) {
    const std::string b = MakeFile("job.bfl", ReadFile(kProject));
    fs::permissions(dir.path(), fs::perms::all);
    // A hard link stays one file of two names, both with the result.
    const std::string linked = MakeFile("linked.txt", "old\n");
    fs::create_hard_link(linked, dir / "other name");
    EXPECT_EQ(Run({"-b", b, "-o", linked}).status, 0);
    EXPECT_EQ(ReadFile(dir / "other name").substr(0, kHeaderStart.size()), kHeaderStart);
    EXPECT_EQ(StatOf(linked).st_nlink, 2u);
    EXPECT_EQ(StatOf(linked).st_ino, StatOf(dir / "other name").st_ino);

    // Permissions, and for the superuser owner and group, stay the target's.
    const std::string owned = MakeFile("owned.txt", "old\n");
    fs::permissions(owned, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    if (geteuid() == 0) {
        ASSERT_EQ(chown(owned.c_str(), 1234, 2345), 0);
    }
    const struct stat before = StatOf(owned);
    EXPECT_EQ(Run({"-b", b, "-o", owned}).status, 0);
    EXPECT_EQ(ReadFile(owned).substr(0, kHeaderStart.size()), kHeaderStart);
    EXPECT_EQ(StatOf(owned).st_mode, before.st_mode);
    EXPECT_EQ(StatOf(owned).st_uid, before.st_uid);
    EXPECT_EQ(StatOf(owned).st_gid, before.st_gid);

    // A user refused where the file is not theirs to write: read-only, or another's.
    const std::string readOnly = MakeFile("read-only.txt", "old\n");
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    std::vector<std::string> refused = {readOnly};
    if (geteuid() == 0) refused.push_back(MakeFile("another's.txt", "old\n"));  // root's, 0644
    for (const std::string& target : refused) {
        const RunResult r = RunAsUser(Cmd({"-b", b, "-o", target}));
        EXPECT_EQ(r.status, 1) << target;
        EXPECT_EQ(r.err, "bbook2tellurax: Cannot open file " + target + ": Permission denied\n");
        EXPECT_EQ(ReadFile(target), "old\n");
    }

    // A writable file in a folder the user may not write: the result is copied into it.
    fs::create_directory(dir / "closed");
    const std::string inClosed = MakeFile("closed/out.txt", "old\n");
    fs::permissions(inClosed, fs::perms::all & ~fs::perms::owner_exec & ~fs::perms::group_exec &
                                  ~fs::perms::others_exec);
    fs::permissions(dir / "closed", fs::perms::owner_all | fs::perms::others_read |
                                        fs::perms::others_exec);
    const RunResult r = RunAsUser(Cmd({"-q", "-b", b, "-o", inClosed}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(inClosed).substr(0, kHeaderStart.size()), kHeaderStart);
    fs::permissions(dir / "closed", fs::perms::owner_all);
}

TEST_F(Files, ABindMountedTargetGetsTheResultCopiedIn) {
    if (geteuid() != 0 || RunBash("unshare --mount true").status != 0) {
        GTEST_SKIP() << "no private mounts here";
    }
    const std::string source = MakeFile("source.txt", "old\n");
    const std::string target = MakeFile("target.txt", "old\n");
    const RunResult r =
        RunBash("unshare --mount bash -c " +
                Quote("mount --bind " + Quote(source) + " " + Quote(target) + " && " +
                      Cmd({"-q", "-b", kProject, "-o", target})));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(source).substr(0, kHeaderStart.size()), kHeaderStart);
    EXPECT_EQ(ReadFile(target), "old\n");  // the mount is gone with its namespace
}

TEST_F(Files, AnInterruptedJobLeavesNothingBehind) {
    // Enough stations for a map larger than a pipe holds: the job stops writing it, with every
    // temporary file made, until the pipe is read.
    std::string stations;
    for (int i = 0; i < 3000; ++i) {
        stations += "000010*80*" + std::to_string(10000 + i).substr(1) +
                    "                              39000000000N105000000000W\n";
    }
    const std::string b = MakeFile("job.bfl", stations);
    const std::string map = dir / "map.fifo";
    fs::create_directory(dir / "scratch");
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const std::string out = MakeFile("out.txt", "old\n");
        ASSERT_EQ(mkfifo(map.c_str(), 0600), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            setenv("TMPDIR", (dir / "scratch").c_str(), 1);
            execl(BB_CLI_EXE, BB_CLI_EXE, "-q", "-b", b.c_str(), "-o", out.c_str(), "--geojson",
                  map.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        const int reader = open(map.c_str(), O_RDONLY);
        const int capacity = fcntl(reader, F_GETPIPE_SZ);
        int held = 0;
        int status = 0;
        while (held < capacity && waitpid(pid, &status, WNOHANG) == 0) {
            usleep(1000);
            ioctl(reader, FIONREAD, &held);
        }
        ASSERT_EQ(held, capacity) << "the job ended before the pipe was full";
        kill(pid, signal);
        waitpid(pid, &status, 0);
        close(reader);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
        EXPECT_EQ(Names(), (std::set<std::string>{"job.bfl", "map.fifo", "out.txt", "scratch"}))
            << signal;
        EXPECT_TRUE(fs::is_empty(dir / "scratch")) << signal;
        EXPECT_EQ(ReadFile(out), "old\n");
        fs::remove(map);
    }
}

TEST_F(Files, AnyNameTheFileSystemTakesCanBeAnOutput) {
    const std::string names[] = {std::string(255, 'a'), [] {
                                     std::string japanese;  // 85 letters of 3 bytes
                                     for (int i = 0; i < 85; ++i) japanese += "\xE6\xB8\xAC";
                                     return japanese;
                                 }()};
    for (const std::string& name : names) {
        const RunResult r = Run({"-q", "-b", kProject, "-o", dir / name});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(ReadFile(dir / name).substr(0, kHeaderStart.size()), kHeaderStart);
    }
}

TEST_F(Files, ClosedDescriptorsAndDescriptorNames) {
    const std::string map = dir / "map.json";
    const struct {
        std::string line;
        std::string err;
    } closed[] = {
        {Cmd({"-b", kProject, "-o", "-"}) + " >&-", "Cannot open file -: Bad file descriptor"},
        {Cmd({"-b", kProject, "-o", "-", "--geojson", map}) + " >&-",
         "Cannot open file -: Bad file descriptor"},
        {Cmd({"-b", "-", "-o", map}) + " <&-", "Cannot open file -: Bad file descriptor"},
        {Cmd({"-b", kProject, "-o", "/dev/fd/7"}), "Cannot open file /dev/fd/7: Bad file descriptor"},
    };
    for (const auto& c : closed) {
        const RunResult r = RunBash(c.line);
        EXPECT_EQ(r.status, 1) << c.line;
        EXPECT_EQ(r.err, "bbook2tellurax: " + c.err + "\n") << c.line;
        EXPECT_FALSE(fs::exists(map)) << c.line;
    }
    // A descriptor is written where it stands: a deleted file stays deleted, an appended log
    // keeps what it held.
    const std::string victim = dir / "victim.txt";
    const RunResult deleted = RunBash("exec 5<>" + Quote(victim) + "; rm " + Quote(victim) + "; " +
                                      Cmd({"-q", "-b", kProject, "-o", "/dev/fd/5"}) +
                                      " && head -c 26 /proc/$$/fd/5");
    EXPECT_EQ(deleted.status, 0) << deleted.err;
    EXPECT_EQ(deleted.out, kHeaderStart.substr(0, 26));
    EXPECT_EQ(Names(), std::set<std::string>{});
    const std::string log = MakeFile("log.txt", "kept\n");
    EXPECT_EQ(RunBash(Cmd({"-b", kProject, "-o", "/dev/stdout"}) + " >>" + Quote(log)).status, 0);
    EXPECT_EQ(ReadFile(log).substr(0, 5 + kHeaderStart.size()), "kept\n" + kHeaderStart);
}

TEST_F(Files, AScratchFileThatCannotBeMadeSaysWhere) {
    const RunResult r = RunBash("TMPDIR=" + Quote(dir / "none") + " " +
                                Cmd({"-b", "/dev/stdin", "-o", dir / "out.txt"}) + " < <(cat " +
                                Quote(kProject) + ")");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "bbook2tellurax: Cannot create a temporary file in " + (dir / "none") +
                         ": No such file or directory\n");
    EXPECT_FALSE(fs::exists(dir / "out.txt"));
}

}  // namespace
