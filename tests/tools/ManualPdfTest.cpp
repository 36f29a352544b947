// The manual "「ヌリモコ」説明書.pdf" that the build typesets beside the nurimoko executable, where the
// program's 説明書... command looks for it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "brushes/BrushKind.h"
#include "brushes/StrokeController.h"

namespace {

namespace fs = std::filesystem;

fs::path BuildFolder() {
    std::error_code error;
    return fs::read_symlink("/proc/self/exe", error).parent_path().parent_path();
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) {
        ++n;
    }
    return n;
}

// Page objects; the page tree's "/Type /Pages" is not one.
std::size_t CountPages(const std::string& pdf) {
    std::size_t n = 0;
    const std::string key = "/Type /Page";
    for (std::size_t at = pdf.find(key); at != std::string::npos; at = pdf.find(key, at + key.size())) {
        const char next = at + key.size() < pdf.size() ? pdf[at + key.size()] : '\n';
        n += next == 's' ? 0 : 1;
    }
    return n;
}

// The brush kinds the tool box has a visible button for: all but stipple and radial (and no brush).
std::size_t BrushKindsWithButtons() {
    std::size_t n = 0;
    for (std::int32_t k = 0; k < BrushKindCount; ++k) {
        const BrushKind kind = static_cast<BrushKind>(k);
        n += kind != BrushKind::Stipple && kind != BrushKind::Radial && kind != BrushKind::NoBrush ? 1 : 0;
    }
    return n;
}

TEST(ManualPdfTest, BuiltBesideTheProgramWithAPicturePerBrushAndPathKind) {
    const fs::path build = BuildFolder();
    if (!fs::exists(build / "manual")) {
        GTEST_SKIP() << "this build has no Qt application, so no manual is typeset";
    }
    const fs::path pdfPath = build / "「ヌリモコ」説明書.pdf";
    ASSERT_TRUE(fs::exists(pdfPath)) << "build the nurimoko_manual target first: " << pdfPath;
    std::ifstream in(pdfPath, std::ios::binary);
    const std::string pdf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    ASSERT_GT(pdf.size(), 1000u);
    EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
    EXPECT_NE(pdf.find("%%EOF", pdf.size() - 16), std::string::npos) << "the file is cut short";

    // Each brush and path kind has its own sample picture of 240 x 120 pixels.
    const std::size_t samples = Count(pdf, "/Subtype /Image\n/Width 240\n/Height 120\n");
    EXPECT_EQ(BrushKindsWithButtons(), 15u);
    EXPECT_GE(samples, BrushKindsWithButtons() + PathKindCount);
    EXPECT_GE(Count(pdf, "/Subtype /Image"), samples + 1) << "the cover picture is missing";

    // The cover and each chapter start a page.
    EXPECT_GE(CountPages(pdf), 8u);

    // The Japanese font travels with the file, so the manual reads the same without fonts-noto-cjk.
    EXPECT_GT(Count(pdf, "/FontFile"), 0u);
}

// The manual's source names every brush and path kind as the tool box does and quotes the guidance
// texts exactly as the status line shows them, so a painter finds in it what the screen says.
TEST(ManualPdfTest, SourceUsesTheProgramsOwnTexts) {
    // __FILE__ is relative to the build folder, which is not where the tests run.
    const fs::path root(NURIMOKO_SOURCE_DIR);
    const fs::path source = root / "manual" / "manual.html";
    std::ifstream in(source, std::ios::binary);
    ASSERT_TRUE(in) << source;
    const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    for (std::int32_t k = 0; k < BrushKindCount; ++k) {
        const BrushKind kind = static_cast<BrushKind>(k);
        if (kind == BrushKind::Stipple || kind == BrushKind::Radial || kind == BrushKind::NoBrush) {
            continue;
        }
        SCOPED_TRACE(BrushKindCaption(kind));
        EXPECT_NE(html.find(std::string("<h3>") + BrushKindCaption(kind)), std::string::npos);
        EXPECT_NE(html.find(BrushKindHint(kind)), std::string::npos);
    }
    for (std::int32_t p = 0; p < PathKindCount; ++p) {
        const PathKind path = static_cast<PathKind>(p);
        SCOPED_TRACE(PathKindCaption(path));
        EXPECT_NE(html.find(std::string("<h3>") + PathKindCaption(path) + "</h3>"), std::string::npos);
        EXPECT_NE(html.find(StrokeController::GuidanceText(path)), std::string::npos);
    }
}

} // namespace
