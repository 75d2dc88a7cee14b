// What an interruption does to the files of the program: the names noted are removed and the
// signal then ends the program; while interruptions are deferred, it waits.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "common/FileSystem.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

TEST(Interruptions, RemoveTheNotedNamesThenEndTheProgram) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        TempDir dir;
        const std::string noted = dir / "noted";
        const std::string forgotten = dir / "forgotten";
        const std::string reached = dir / "reached";
        WriteFile(noted, "temporary");
        WriteFile(forgotten, "result");
        const pid_t pid = fork();
        if (pid == 0) {
            RemoveTemporariesOnInterrupt();
            NoteTemporaryName(noted);
            ForgetTemporaryName(NoteTemporaryName(forgotten));
            {
                InterruptionsDeferred deferred;
                raise(signal);
                WriteFile(reached, "");  // still running: the signal waits
            }
            _exit(0);  // never: the signal ends the program once it may
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
        EXPECT_FALSE(fs::exists(noted)) << signal;
        EXPECT_TRUE(fs::exists(forgotten)) << signal;
        EXPECT_TRUE(fs::exists(reached)) << signal;
    }
}

}  // namespace
