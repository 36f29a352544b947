// Installs the build into a scratch prefix with `cmake --install` and checks the layout the installed
// program relies on: the manual in the folder of the executable that the command in bin/ leads to,
// the desktop entry and its icon, and the paint-document type the entry opens.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

fs::path BuildFolder() {
    std::error_code error;
    return fs::read_symlink("/proc/self/exe", error).parent_path().parent_path();
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool IsExecutable(const fs::path& path) {
    return ::access(path.c_str(), X_OK) == 0;
}

class InstallLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        build = BuildFolder();
        if (!fs::exists(build / "manual")) {
            GTEST_SKIP() << "this build has no Qt application to install";
        }
        ASSERT_TRUE(fs::exists(build / "nurimoko"))
            << "build everything first (cmake --build " << build << ")";
        std::string pattern = (fs::temp_directory_path() / "nurimoko-install-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        prefix = pattern;
        const std::string command = "cmake --install '" + build.string() + "' --prefix '" + prefix.string() +
                                    "' >'" + (prefix / "log").string() + "' 2>&1";
        const int raw = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << ReadText(prefix / "log");
    }
    void TearDown() override {
        std::error_code error;
        if (!prefix.empty()) {
            fs::remove_all(prefix, error);
        }
    }

    // Runs a shell command with its output in run.log; the exit status, or -1.
    int Run(const std::string& command) const {
        const int raw = std::system((command + " >'" + (prefix / "run.log").string() + "' 2>&1").c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    fs::path build;
    fs::path prefix;
};

TEST_F(InstallLayoutTest, TheCommandLeadsToTheProgramBesideItsManual) {
    const fs::path command = prefix / "bin" / "nurimoko";
    ASSERT_TRUE(fs::is_symlink(command));
    // Relative, so the tree works wherever the prefix (or a package's root) puts it.
    EXPECT_TRUE(fs::read_symlink(command).is_relative()) << fs::read_symlink(command);
    const fs::path program = fs::canonical(command);
    EXPECT_EQ(program, fs::canonical(prefix / "lib" / "nurimoko" / "nurimoko"));
    EXPECT_TRUE(IsExecutable(program));

    // The 説明書... command opens this name in the program's own folder.
    const fs::path manual = program.parent_path() / "「ヌリモコ」説明書.pdf";
    ASSERT_TRUE(fs::is_regular_file(manual));
    EXPECT_EQ(fs::file_size(manual), fs::file_size(build / "「ヌリモコ」説明書.pdf"));
    const fs::path docLink = prefix / "share" / "doc" / "nurimoko" / "「ヌリモコ」説明書.pdf";
    ASSERT_TRUE(fs::exists(docLink));
    EXPECT_EQ(fs::canonical(docLink), fs::canonical(manual));

    EXPECT_TRUE(IsExecutable(prefix / "bin" / "nurimoko-render"));
}

TEST_F(InstallLayoutTest, DesktopEntryStartsTheCommandWithTheInstalledIcon) {
    const std::string entry = ReadText(prefix / "share" / "applications" / "nurimoko.desktop");
    ASSERT_FALSE(entry.empty());
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(entry.find("\nName=ヌリモコ\n"), std::string::npos);
    EXPECT_NE(entry.find("\nExec=nurimoko %f\n"), std::string::npos) << "file managers pass the file";
    EXPECT_NE(entry.find("\nMimeType=application/x-nurimoko-painting;image/bmp;image/png;\n"),
              std::string::npos);
    EXPECT_NE(entry.find("\nIcon=nurimoko\n"), std::string::npos);

    const std::string icon =
        ReadText(prefix / "share" / "icons" / "hicolor" / "scalable" / "apps" / "nurimoko.svg");
    EXPECT_NE(icon.find("<svg"), std::string::npos);
    EXPECT_NE(icon.find("</svg>"), std::string::npos);

    const fs::path entryPath = prefix / "share" / "applications" / "nurimoko.desktop";
    EXPECT_EQ(Run("desktop-file-validate '" + entryPath.string() + "'"), 0)
        << "desktop-file-utils must be installed: " << ReadText(prefix / "run.log");
    EXPECT_TRUE(ReadText(prefix / "run.log").empty())
        << "no hints or warnings: " << ReadText(prefix / "run.log");
}

TEST_F(InstallLayoutTest, PaintDocumentsAreKnownByTheirNameAndTheirFirstBytes) {
    const fs::path mime = prefix / "share" / "mime";
    ASSERT_TRUE(fs::is_regular_file(mime / "packages" / "nurimoko.xml"));
    ASSERT_EQ(Run("update-mime-database '" + mime.string() + "'"), 0)
        << "shared-mime-info must be installed: " << ReadText(prefix / "run.log");
    EXPECT_TRUE(fs::is_regular_file(mime / "application" / "x-nurimoko-painting.xml"));
    EXPECT_NE(ReadText(mime / "globs2").find("\n50:application/x-nurimoko-painting:*.mb\n"),
              std::string::npos)
        << ReadText(mime / "globs2");
    // The magic: at offset 0, the 16 bytes of the document's magic field up to its NUL.
    const std::string magic = ReadText(mime / "magic");
    const std::string expected = std::string("[60:application/x-nurimoko-painting]\n>0=") +
                                 std::string("\0\x10", 2) + std::string("<Gloppo-Canvas>\0", 16) + "\n";
    EXPECT_NE(magic.find(expected), std::string::npos);
}

} // namespace
