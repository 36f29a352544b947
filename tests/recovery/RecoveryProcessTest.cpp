// The program is painted on, killed with SIGKILL once its recovery copy is written, and started again:
// the painting offered back at the start renders to the same bytes as before the kill.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> Copies(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code error;
    for (const auto& item : fs::directory_iterator(folder, error)) {
        const std::string name = item.path().filename().string();
        if (name.rfind("copy-", 0) == 0 && item.path().extension() == ".mb") {
            found.push_back(item.path());
        }
    }
    return found;
}

class RecoveryProcess : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "nurimoko-recovery-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        fs::create_directories(dir / "data");
        fs::create_directories(dir / "config");
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(dir, error);
    }

    // Starts the driver with a one-second interval and its own data folders; stdout goes to a file.
    pid_t Start(const char* mode) {
        const std::string out = (dir / (std::string(mode) + ".out")).string();
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::setenv("NURIMOKO_RECOVERY_SECONDS", "1", 1);
            ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
            ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
            if (!std::freopen(out.c_str(), "w", stdout)) {
                ::_exit(120);
            }
            ::execl(NURIMOKO_RECOVERY_DRIVER, NURIMOKO_RECOVERY_DRIVER, mode, dir.c_str(), nullptr);
            ::_exit(121);
        }
        return pid;
    }

    // Waits until `done` holds or `seconds` pass.
    template <typename Condition> static bool WaitFor(Condition done, int seconds) {
        const auto until = Clock::now() + std::chrono::seconds(seconds);
        while (Clock::now() < until) {
            if (done()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return done();
    }

    fs::path dir;
};

TEST_F(RecoveryProcess, PaintingKilledBeforeSavingComesBackAtTheNextStart) {
    ASSERT_TRUE(fs::exists(NURIMOKO_RECOVERY_DRIVER)) << NURIMOKO_RECOVERY_DRIVER;
    const auto started = Clock::now();
    const pid_t painter = Start("paint");
    ASSERT_GT(painter, 0);
    const bool paintingDone =
        WaitFor([&] { return ReadText(dir / "paint.out").find("painted") != std::string::npos; }, 120);
    if (!paintingDone) {
        ::kill(painter, SIGKILL);
        ::waitpid(painter, nullptr, 0);
        FAIL() << "the painting never finished";
    }
    const auto paintedAt = Clock::now();
    const fs::path folder = ReadText(dir / "folder.txt");
    EXPECT_EQ(folder, dir / "data" / "nurimoko" / "recovery");
    const bool copied = WaitFor([&] { return !Copies(folder).empty(); }, 60);
    const auto copiedAt = Clock::now();
    ASSERT_EQ(::kill(painter, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(painter, &status, 0), painter);
    ASSERT_TRUE(copied) << "no recovery copy appeared in " << folder;
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    const std::vector<fs::path> left = Copies(folder);
    ASSERT_EQ(left.size(), 1u);
    const std::uintmax_t copySize = fs::file_size(left[0]);

    const pid_t restorer = Start("restore");
    ASSERT_GT(restorer, 0);
    status = 0;
    const bool ended = WaitFor([&] { return ::waitpid(restorer, &status, WNOHANG) == restorer; }, 120);
    if (!ended) {
        ::kill(restorer, SIGKILL);
        ::waitpid(restorer, nullptr, 0);
        FAIL() << "the second start never ended";
    }
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    const std::string painted = ReadText(dir / "painted.bin");
    const std::string before = ReadText(dir / "before.bin");
    const std::string after = ReadText(dir / "after.bin");
    const std::string state = ReadText(dir / "state.txt");
    ASSERT_FALSE(before.empty());
    // The strokes are on the canvas: not every byte is the white of a new canvas.
    EXPECT_NE(before.find_first_not_of('\xff'), std::string::npos);
    EXPECT_EQ(before.size(), after.size());
    EXPECT_TRUE(before == after) << "the restored painting renders differently";
    EXPECT_NE(
        state.find("box: 前回正しく終了しなかったときの絵が残っています。復元しますか？ | default: はい(&Y)"),
        std::string::npos)
        << state;
    EXPECT_NE(state.find("modified: 1\n"), std::string::npos) << state;
    EXPECT_NE(state.find("path: \n"), std::string::npos) << state;
    EXPECT_NE(state.find("closed: 1\n"), std::string::npos) << state;
    // The restored copy became the second program's own, and its clean exit removed it.
    EXPECT_TRUE(Copies(folder).empty());
    EXPECT_TRUE(fs::is_empty(folder));

    const auto ms = [](Clock::duration d) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
    };
    std::cout << "start to painted: " << ms(paintedAt - started)
              << " ms; painted to copy seen: " << ms(copiedAt - paintedAt) << " ms; copy "
              << left[0].filename().string() << ", " << copySize << " bytes\n"
              << ReadText(dir / "paint.out") << state << "rendered bytes compared: " << before.size()
              << ", equal: " << (before == after ? "yes" : "no") << "\n";
    // Dabs are rendered one rectangle at a time while painting; shown for comparison only.
    std::size_t differing = 0;
    for (std::size_t i = 0; i < std::min(painted.size(), before.size()); ++i) {
        differing += painted[i] != before[i] ? 1 : 0;
    }
    std::cout << "bytes where the picture as painted differs from the painting drawn anew: " << differing
              << "\n";
}

} // namespace
