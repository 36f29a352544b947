// Separate programs (started with fork) using undo journals on the same folder name at the same time.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "tests/persistence/PaintFileTestSupport.h"

using namespace testsupport;

namespace {

// Separate programs started at the same moment: each takes a folder of its own and keeps its history.
TEST(FaultUndoJournalPair, ProgramsStartedAtTheSameMomentTakeDifferentFolders) {
    TempDir dir;
    const std::string base = (dir.path / "UNDO").string();
    constexpr int kPrograms = 3;
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    std::vector<pid_t> children;
    for (int p = 0; p < kPrograms; ++p) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(go[1]);
            char byte = 0;
            // Every program waits for the same signal, then starts its journal.
            if (::read(go[0], &byte, 1) != 1) {
                ::_exit(10);
            }
            std::string folder;
            ::_exit(StartJournalAndHold(base, p, folder, [&] {
                std::ofstream(dir.path / ("program" + std::to_string(p))) << folder;
                // Hold the folder until every program has written its report.
                ::usleep(300000);
            }));
        }
        children.push_back(child);
    }
    ::close(go[0]);
    const char signal[kPrograms] = {};
    ASSERT_EQ(::write(go[1], signal, kPrograms), kPrograms);
    ::close(go[1]);

    std::set<std::string> folders;
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "a program lost its history or could not start it";
    }
    for (int p = 0; p < kPrograms; ++p) {
        std::ifstream in(dir.path / ("program" + std::to_string(p)));
        std::string folder;
        std::getline(in, folder);
        folders.insert(folder);
    }
    EXPECT_EQ(folders.size(), static_cast<std::size_t>(kPrograms));
}

} // namespace
