#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <limits>
#include <utility>

#include "engine/PaintCanvas.h"
#include "persistence/SafeFileWriter.h"
#include "tests/persistence/PaintFileTestSupport.h"

using namespace testsupport;

namespace {

constexpr std::size_t kHeader = 52;
constexpr std::size_t kFullRecord = 80;
constexpr std::size_t kShortRecord = 24;

class RecordingProgress : public ProgressTarget {
public:
    std::vector<std::pair<int, int>> reports;
    void ReportProgress(int phase, int percent) override { reports.emplace_back(phase, percent); }
};

class PaintFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("painting.mb");
};

std::vector<float> MaterialFloats(const MaterialBlock& m) {
    const float* f = &m.red;
    return std::vector<float>(f, f + 14);
}

std::vector<float> FloatsAt(const std::vector<std::uint8_t>& b, std::size_t at, int n) {
    std::vector<float> out;
    for (int k = 0; k < n; ++k) {
        out.push_back(FloatAt(b, at + 4 * k));
    }
    return out;
}

TEST_F(PaintFileTest, EmptyCanvasSavesHeaderAndImageBlockOnly) {
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(640, 480), Result::Success);
    ASSERT_EQ(canvas.SavePaintFile(path), Result::Success);

    const auto b = ReadBytes(path);
    ASSERT_EQ(b.size(), kHeader + 16 + 4 + 921600);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data())), "<Gloppo-Canvas>");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + 20)), "<1.001>");
    EXPECT_EQ(Int32At(b, 40), 640);
    EXPECT_EQ(Int32At(b, 44), 480);
    EXPECT_EQ(Int32At(b, 48), 0);
    EXPECT_EQ(Int32At(b, 52), 640);
    EXPECT_EQ(Int32At(b, 56), 480);
    EXPECT_EQ(Int32At(b, 60), 3);
    EXPECT_EQ(Int32At(b, 64), 0);
    EXPECT_EQ(Int32At(b, 68), 921600);
    EXPECT_TRUE(std::all_of(b.begin() + 72, b.end(), [](std::uint8_t v) { return v == 255; }));
}

TEST_F(PaintFileTest, MetaballsOfOneMaterialRepeatTheBlock) {
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(100, 80), Result::Success);
    const MaterialBlock material = DistinctMaterial(0.9f);
    Paint(canvas, {MakeMetaball(material, 10.5f, 20.5f, 1.0f), MakeMetaball(material, 30.25f, 40.5f, 2.0f),
                   MakeMetaball(material, 50.5f, 60.75f, 3.0f)});
    ASSERT_EQ(canvas.SavePaintFile(path), Result::Success);

    const auto b = ReadBytes(path);
    ASSERT_EQ(b.size(), kHeader + kFullRecord + 2 * kShortRecord + 20 + 300 * 80);
    EXPECT_EQ(Int32At(b, 48), 3);
    // First record: flag 0 and the block.
    EXPECT_EQ(Int32At(b, 52), 0);
    EXPECT_EQ(FloatsAt(b, 56, 14), MaterialFloats(canvas.store->records[0]));
    EXPECT_EQ(Int32At(b, 112), 0);
    EXPECT_EQ(Int32At(b, 116), 1);
    EXPECT_EQ(FloatsAt(b, 120, 3), (std::vector<float>{10.5f, 20.5f, 1.0f}));
    // The next two: flag 1, no block.
    const std::size_t second = kHeader + kFullRecord;
    const std::size_t third = second + kShortRecord;
    EXPECT_EQ(Int32At(b, second), 1);
    EXPECT_EQ(Int32At(b, second + 4), 1);
    EXPECT_EQ(FloatsAt(b, second + 12, 3), (std::vector<float>{30.25f, 40.5f, 2.0f}));
    EXPECT_EQ(Int32At(b, third), 1);
    EXPECT_EQ(Int32At(b, third + 4), 2);
    EXPECT_EQ(Int32At(b, third + 24), 100); // the image block follows
}

TEST_F(PaintFileTest, OuterRadiusSquaredDoesNotBreakARepeatButAnyOtherFieldDoes) {
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(40, 40), Result::Success);
    const MaterialBlock material = DistinctMaterial(0.5f);
    Paint(canvas, {MakeMetaball(material, 5.5f, 5.5f, 0.0f), MakeMetaball(material, 6.5f, 5.5f, 0.0f),
                   MakeMetaball(material, 7.5f, 5.5f, 0.0f)});
    canvas.store->records[1].outerRadiusSq = 1.0f;
    canvas.store->records[2].reserved4 = 7.0f;
    ASSERT_EQ(canvas.SavePaintFile(path), Result::Success);

    const auto b = ReadBytes(path);
    EXPECT_EQ(Int32At(b, kHeader), 0);
    EXPECT_EQ(Int32At(b, kHeader + kFullRecord), 1);
    EXPECT_EQ(Int32At(b, kHeader + kFullRecord + kShortRecord), 0);
    EXPECT_EQ(b.size(), kHeader + 2 * kFullRecord + kShortRecord + 20 + 40 * 120);
}

TEST_F(PaintFileTest, ErasedFirstRecordAndDefaultMaterialWriteARepeatOfTheDefaults) {
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(40, 40), Result::Success);
    Paint(canvas, {MakeMetaball(DistinctMaterial(0.3f), 5.5f, 5.5f, 0.0f),
                   MakeMetaball(MaterialBlock{}, 20.5f, 21.5f, 0.5f)});
    canvas.store->records[0].state = MetaballErased;
    ASSERT_EQ(canvas.SavePaintFile(path), Result::Success);

    const auto b = ReadBytes(path);
    EXPECT_EQ(Int32At(b, 48), 1);
    EXPECT_EQ(Int32At(b, kHeader), 1);
    EXPECT_EQ(Int32At(b, kHeader + 4), 1); // its id at the time of writing
    EXPECT_EQ(b.size(), kHeader + kShortRecord + 20 + 40 * 120);

    PaintCanvas loaded;
    ASSERT_EQ(loaded.LoadPaintFile(path), Result::Success);
    ASSERT_EQ(loaded.store->Count(), 1);
    const Metaball& m = loaded.store->records[0];
    EXPECT_EQ(MaterialFloats(m), MaterialFloats(MaterialBlock{}));
    EXPECT_EQ(m.id, 0);
    EXPECT_EQ(m.state, MetaballLive);
    EXPECT_EQ(m.x, 20.5f);
    EXPECT_EQ(m.y, 21.5f);
    EXPECT_EQ(m.z, 0.5f);
}

TEST_F(PaintFileTest, RepeatFlagOnTheFirstRecordMeansTheDefaults) {
    Bytes file;
    file.Header(30, 20, 2);
    file.I32(5).I32(99).I32(1).F32(3.5f).F32(4.5f).F32(0.0f); // repeat before any block
    const MaterialBlock own = DistinctMaterial(0.7f);
    file.I32(0);
    for (float v : MaterialFloats(own)) {
        file.F32(v);
    }
    file.I32(98).I32(1).F32(10.5f).F32(11.5f).F32(1.0f);
    file.WhiteImage(30, 20);
    WriteBytes(path, file.data);

    PaintCanvas canvas;
    ASSERT_EQ(canvas.LoadPaintFile(path), Result::Success);
    EXPECT_EQ(canvas.width, 30);
    EXPECT_EQ(canvas.height, 20);
    ASSERT_EQ(canvas.store->Count(), 2);
    EXPECT_EQ(MaterialFloats(canvas.store->records[0]), MaterialFloats(MaterialBlock{}));
    EXPECT_EQ(canvas.store->records[0].id, 0);
    EXPECT_EQ(canvas.store->records[1].id, 1);
    EXPECT_EQ(canvas.store->records[1].red, own.red);
    EXPECT_EQ(canvas.store->records[1].thickness, own.thickness);
    // Whatever the file holds, the two reserved values come back as the engine's own.
    EXPECT_EQ(canvas.store->records[1].reserved1, 0.2f);
    EXPECT_EQ(canvas.store->records[1].reserved2, 0.8f);
}

// A 20 × 20 document of one live metaball of `material` at (10, 10, 0) on white.
std::vector<std::uint8_t> OneMetaballDocument(const MaterialBlock& material) {
    Bytes file;
    file.Header(20, 20, 1).I32(0);
    for (float v : MaterialFloats(material)) {
        file.F32(v);
    }
    file.I32(0).I32(1).F32(10.0f).F32(10.0f).F32(0.0f).WhiteImage(20, 20);
    return file.data;
}

TEST_F(PaintFileTest, OuterRadiusBelowInnerRadiusIsRaisedOnLoading) {
    MaterialBlock odd = DistinctMaterial(0.4f);
    odd.innerRadius = 5.0f;
    odd.outerRadius = 3.0f;
    odd.outerRadiusSq = 9.0f;
    WriteBytes(path, OneMetaballDocument(odd));

    PaintCanvas canvas;
    ASSERT_EQ(canvas.LoadPaintFile(path), Result::Success);
    ASSERT_EQ(canvas.store->Count(), 1);
    EXPECT_EQ(canvas.store->records[0].outerRadius, 5.0f);
    EXPECT_EQ(canvas.store->records[0].outerRadiusSq, 25.0f);
}

// Paint may reach a few thousand above and below its centre (brushes reach about a hundred); beyond
// that the document is refused. The reach counts the larger of the two radii.
TEST_F(PaintFileTest, PaintReachingFarAboveItsCentreIsRefused) {
    struct Case {
        float innerRadius;
        float outerRadius;
        float thickness;
        ResultCode expected;
    };
    const Case cases[] = {
        {5.0f, 10.0f, 400.0f, Result::Success},           // reaches 4000
        {5.0f, 10.0f, -400.0f, Result::Success},          // downwards alike
        {5.0f, 10.0f, 410.0f, Result::UnsupportedFormat}, // 4100
        {12.0f, 3.0f, 340.0f, Result::Success},           // 4080 with the inner radius
        {12.0f, 3.0f, 350.0f, Result::UnsupportedFormat}, // 4200 with the inner radius
        {6.0f, 12.0f, 262144.0f, Result::UnsupportedFormat},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.innerRadius << " " << c.outerRadius << " " << c.thickness);
        MaterialBlock thick = DistinctMaterial(0.4f);
        thick.innerRadius = c.innerRadius;
        thick.outerRadius = c.outerRadius;
        thick.outerRadiusSq = c.outerRadius * c.outerRadius;
        thick.thickness = c.thickness;
        WriteBytes(path, OneMetaballDocument(thick));

        PaintCanvas canvas;
        ASSERT_EQ(canvas.Create(8, 8), Result::Success);
        EXPECT_EQ(canvas.LoadPaintFile(path), c.expected);
        EXPECT_EQ(canvas.width, c.expected == Result::Success ? 20 : 8);
    }
}

TEST_F(PaintFileTest, RoundTripGivesTheSameRenderedPictureAndRenumbersSurvivors) {
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(96, 64), Result::Success);
    canvas.backgroundImage.Fill(30, 120, 200);
    std::vector<Metaball> metaballs;
    for (int i = 0; i < 12; ++i) {
        MaterialBlock m = DistinctMaterial(0.1f * static_cast<float>(i % 4));
        m.reserved1 = 0.2f; // as the loader restores it
        m.transparency = (i % 3) * 0.3f;
        metaballs.push_back(MakeMetaball(m, 10.0f + 6.3f * i, 15.0f + 3.1f * (i % 5), 0.5f * (i % 2)));
    }
    Paint(canvas, metaballs);
    canvas.store->records[4].state = MetaballErased;
    RenderAll(canvas);
    ASSERT_NE(canvas.renderedImage.data, canvas.backgroundImage.data) << "the paint must show";
    ASSERT_EQ(canvas.SavePaintFile(path), Result::Success);

    PaintCanvas loaded;
    ASSERT_EQ(loaded.LoadPaintFile(path), Result::Success);
    ASSERT_EQ(loaded.store->Count(), 11);
    for (std::int32_t i = 0; i < 11; ++i) {
        const Metaball& original = canvas.store->records[static_cast<std::size_t>(i < 4 ? i : i + 1)];
        const Metaball& back = loaded.store->records[static_cast<std::size_t>(i)];
        SCOPED_TRACE(i);
        EXPECT_EQ(back.id, i);
        EXPECT_EQ(MaterialFloats(back), MaterialFloats(original));
        EXPECT_EQ(back.x, original.x);
        EXPECT_EQ(back.y, original.y);
        EXPECT_EQ(back.z, original.z);
    }
    EXPECT_EQ(loaded.backgroundImage.data, canvas.backgroundImage.data);
    RenderAll(loaded);
    EXPECT_EQ(loaded.renderedImage.data, canvas.renderedImage.data);
}

TEST_F(PaintFileTest, PaletteBackgroundSurvivesTheRoundTrip) {
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(7, 5), Result::Success);
    RasterImage indexed;
    ASSERT_EQ(indexed.Create(7, 5, 1, 3), Result::Success);
    indexed.palette = {255, 0, 0, 0, 255, 0, 0, 0, 255};
    for (std::int32_t y = 0; y < 5; ++y) {
        for (std::int32_t x = 0; x < 7; ++x) {
            *indexed.PixelAt(x, y) = static_cast<std::uint8_t>((x + y) % 3);
        }
    }
    canvas.backgroundImage = indexed;
    ASSERT_EQ(canvas.SavePaintFile(path), Result::Success);

    PaintCanvas loaded;
    ASSERT_EQ(loaded.LoadPaintFile(path), Result::Success);
    EXPECT_EQ(loaded.backgroundImage.bytesPerPixel, 1);
    EXPECT_EQ(loaded.backgroundImage.paletteCount, 3);
    EXPECT_EQ(loaded.backgroundImage.palette, indexed.palette);
    EXPECT_EQ(loaded.backgroundImage.data, indexed.data);
}

TEST_F(PaintFileTest, ProgressIsReportedPerStoreRecordOnSavingAndPerFileRecordOnLoading) {
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(30, 30), Result::Success);
    const MaterialBlock material = DistinctMaterial(0.2f);
    Paint(canvas, {MakeMetaball(material, 5.5f, 5.5f, 0.0f), MakeMetaball(material, 10.5f, 5.5f, 0.0f),
                   MakeMetaball(material, 15.5f, 5.5f, 0.0f)});
    canvas.store->records[1].state = MetaballErased;
    RecordingProgress progress;
    canvas.progressTarget = &progress;
    ASSERT_EQ(canvas.SavePaintFile(path), Result::Success);
    EXPECT_EQ(progress.reports, (std::vector<std::pair<int, int>>{{3, 33}, {3, 66}, {3, 100}}));

    PaintCanvas loaded;
    RecordingProgress loading;
    loaded.progressTarget = &loading;
    ASSERT_EQ(loaded.LoadPaintFile(path), Result::Success);
    EXPECT_EQ(loading.reports, (std::vector<std::pair<int, int>>{{2, 50}, {2, 100}}));
}

// Records straight into the store (as a long painting session leaves them): materials that repeat in
// runs of different lengths and every eleventh metaball erased.
void FillStore(PaintCanvas& canvas, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) {
        const MaterialBlock material = DistinctMaterial(0.05f * static_cast<float>((i / (1 + i % 4)) % 17));
        Metaball m = MakeMetaball(material, static_cast<float>(i % canvas.width) + 0.25f,
                                  static_cast<float>(i / canvas.width % canvas.height) + 0.5f,
                                  0.001f * static_cast<float>(i));
        m.id = i;
        m.state = i % 11 == 5 ? MetaballErased : MetaballLive;
        canvas.store->records.push_back(m);
    }
}

// The document of `canvas` written field by field as the format lays it out.
std::vector<std::uint8_t> ExpectedDocument(const PaintCanvas& canvas) {
    std::int32_t live = 0;
    for (const Metaball& m : canvas.store->records) {
        live += m.state == MetaballErased ? 0 : 1;
    }
    Bytes b;
    b.Header(canvas.width, canvas.height, live);
    std::vector<float> previous = MaterialFloats(MaterialBlock{});
    for (std::size_t i = 0; i < canvas.store->records.size(); ++i) {
        const Metaball& m = canvas.store->records[i];
        if (m.state == MetaballErased) {
            continue;
        }
        const std::vector<float> block = MaterialFloats(m);
        const bool repeat = i > 0 && block == previous;
        b.I32(repeat ? 1 : 0);
        if (!repeat) {
            for (const float f : block) {
                b.F32(f);
            }
            previous = block;
        }
        b.I32(m.id).I32(m.state).F32(m.x).F32(m.y).F32(m.z);
    }
    const RasterImage& image = canvas.backgroundImage;
    b.I32(image.width).I32(image.height).I32(image.bytesPerPixel).I32(image.paletteCount);
    b.I32(static_cast<std::int32_t>(image.dataSize));
    b.Raw(std::vector<std::uint8_t>(image.data.begin(),
                                    image.data.begin() + static_cast<std::ptrdiff_t>(image.dataSize)));
    return b.data;
}

TEST_F(PaintFileTest, ADocumentOfSeveralMegabytesHasEveryRecordAndRowInPlace) {
    PaintCanvas canvas;
    // Rows of 2100 bytes: the background alone is over a megabyte.
    ASSERT_EQ(canvas.Create(700, 520), Result::Success);
    for (std::size_t k = 0; k < canvas.backgroundImage.dataSize; ++k) {
        canvas.backgroundImage.data[k] = static_cast<std::uint8_t>(k * 7 + k / 2100);
    }
    FillStore(canvas, 60000);
    const std::vector<std::uint8_t> expected = ExpectedDocument(canvas);
    ASSERT_GT(expected.size(), std::size_t{3} << 20);

    ASSERT_EQ(canvas.SavePaintFile(path), Result::Success);
    EXPECT_TRUE(ReadBytes(path) == expected);

    // Cut short anywhere (before, at and after a megabyte, in the rows, at the last byte), the save
    // fails and the saved document stays as it was, with no other file beside it.
    const std::size_t records = expected.size() - 20 - canvas.backgroundImage.dataSize;
    const std::size_t megabyte = std::size_t{1} << 20;
    for (const std::size_t limit : {std::size_t{0}, std::size_t{4096}, megabyte - 1, megabyte, megabyte + 1,
                                    records - 3, records + 21, expected.size() - 1}) {
        SCOPED_TRACE(limit);
        SafeFileWriter::ScopedWriteLimit full(limit);
        canvas.store->records[0].z = 99.0f; // a change that must not reach the file
        EXPECT_EQ(canvas.SavePaintFile(path), Result::FileWriteFailed);
        canvas.store->records[0].z = 0.0f;
        EXPECT_TRUE(ReadBytes(path) == expected);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path),
                                std::filesystem::directory_iterator()),
                  1);
    }

    PaintCanvas loaded;
    ASSERT_EQ(loaded.LoadPaintFile(path), Result::Success);
    EXPECT_EQ(loaded.store->Count(), std::count_if(canvas.store->records.begin(), canvas.store->records.end(),
                                                   [](const Metaball& m) { return m.IsLive(); }));
    EXPECT_EQ(loaded.backgroundImage.data, canvas.backgroundImage.data);
    const std::string again = dir.File("again.mb");
    ASSERT_EQ(loaded.SavePaintFile(again), Result::Success);
    const std::vector<std::uint8_t> resaved = ReadBytes(again);
    // Survivors are numbered afresh, so only the ids differ from the first document.
    EXPECT_EQ(resaved.size(), expected.size());
    EXPECT_TRUE(ReadBytes(again) == ExpectedDocument(loaded));
}

TEST_F(PaintFileTest, ProgressOfALargeDocumentNamesEachPercentageOnceInRisingOrder) {
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(64, 64), Result::Success);
    FillStore(canvas, 3000);
    RecordingProgress saving;
    canvas.progressTarget = &saving;
    ASSERT_EQ(canvas.SavePaintFile(path), Result::Success);

    PaintCanvas loaded;
    RecordingProgress loading;
    loaded.progressTarget = &loading;
    ASSERT_EQ(loaded.LoadPaintFile(path), Result::Success);

    for (const auto& [reports, phase] : {std::pair{&saving.reports, 3}, std::pair{&loading.reports, 2}}) {
        SCOPED_TRACE(phase);
        ASSERT_GE(reports->size(), 90u);
        for (std::size_t i = 0; i < reports->size(); ++i) {
            EXPECT_EQ((*reports)[i].first, phase);
            if (i > 0) {
                EXPECT_GT((*reports)[i].second, (*reports)[i - 1].second) << i;
            }
        }
        EXPECT_EQ(reports->back().second, 100);
    }
}

TEST_F(PaintFileTest, SavingACanvasThatWasNeverCreatedFails) {
    PaintCanvas canvas;
    EXPECT_EQ(canvas.SavePaintFile(path), Result::NoData);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(PaintFileTest, SavingIntoAMissingFolderFailsToOpen) {
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(10, 10), Result::Success);
    EXPECT_EQ(canvas.SavePaintFile(dir.File("missing/painting.mb")), Result::FileOpenFailed);
}

TEST_F(PaintFileTest, AShortWriteFailsAndLeavesTheOldFileUntouched) {
    PaintCanvas canvas;
    ASSERT_EQ(canvas.Create(50, 40), Result::Success);
    ASSERT_EQ(canvas.SavePaintFile(path), Result::Success);
    const auto before = ReadBytes(path);

    Paint(canvas, {MakeMetaball(DistinctMaterial(0.6f), 20.5f, 20.5f, 0.0f)});
    for (std::uint64_t limit : {std::uint64_t{10}, std::uint64_t{100}, std::uint64_t{2000}}) {
        SCOPED_TRACE(limit);
        SafeFileWriter::ScopedWriteLimit full(limit);
        EXPECT_EQ(canvas.SavePaintFile(path), Result::FileWriteFailed);
        EXPECT_EQ(ReadBytes(path), before);
    }
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& item : std::filesystem::directory_iterator(dir.path)) {
        ++files;
    }
    EXPECT_EQ(files, 1u) << "no temporary file is left behind";
}

// A file that cannot be loaded gives a code and leaves the canvas exactly as it was.
struct BrokenFile {
    const char* name;
    std::vector<std::uint8_t> bytes;
    ResultCode expected;
};

std::vector<BrokenFile> BrokenFiles() {
    const MaterialBlock material = DistinctMaterial(0.5f);
    Bytes good;
    good.Header(16, 8, 1).I32(0);
    for (float v : MaterialFloats(material)) {
        good.F32(v);
    }
    good.I32(0).I32(1).F32(4.5f).F32(4.5f).F32(0.0f).WhiteImage(16, 8);
    const std::size_t imageAt = kHeader + kFullRecord;

    std::vector<BrokenFile> cases;
    cases.push_back({"empty", {}, Result::FileReadFailed});
    cases.push_back({"magic cut short", Truncated(good.data, 12), Result::FileReadFailed});
    cases.push_back({"header cut short", Truncated(good.data, 45), Result::FileReadFailed});
    cases.push_back({"record cut short", Truncated(good.data, kHeader + 30), Result::FileReadFailed});
    cases.push_back({"image header cut short", Truncated(good.data, imageAt + 10), Result::FileReadFailed});
    cases.push_back(
        {"pixel rows cut short", Truncated(good.data, good.data.size() - 1), Result::FileReadFailed});
    {
        auto b = good.data;
        b[0] = 'X';
        cases.push_back({"foreign magic", b, Result::UnsupportedFormat});
    }
    {
        auto b = good.data;
        std::fill(b.begin(), b.begin() + 20, 'A');
        cases.push_back({"magic without NUL", b, Result::UnsupportedFormat});
    }
    {
        auto b = good.data;
        b[15] = 'x'; // "<Gloppo-Canvas>x"
        cases.push_back({"magic with a longer text", b, Result::UnsupportedFormat});
    }
    {
        auto b = good.data;
        b[25] = '2'; // "<1.002>"
        cases.push_back({"other version", b, Result::VersionMismatch});
    }
    cases.push_back(
        {"bitmap file", Bytes{}.I32(0x4D42).I32(0).I32(54).I32(40).I32(1).data, Result::UnsupportedFormat});
    const auto withHeader = [&](std::int32_t w, std::int32_t h, std::int32_t count) {
        auto b = good.data;
        auto header = Bytes{}.I32(w).I32(h).I32(count).data;
        std::copy(header.begin(), header.end(), b.begin() + 40);
        return b;
    };
    cases.push_back({"negative width", withHeader(-16, 8, 1), Result::UnsupportedFormat});
    cases.push_back({"zero height", withHeader(16, 0, 1), Result::UnsupportedFormat});
    cases.push_back({"a width the file has no pixels for", withHeader(30001, 8, 1), Result::FileReadFailed});
    cases.push_back({"large size in a small file", withHeader(1000, 1000, 1), Result::FileReadFailed});
    cases.push_back({"negative count", withHeader(16, 8, -1), Result::UnsupportedFormat});
    cases.push_back({"count beyond the file", withHeader(16, 8, 0x7FFFFFFF), Result::FileReadFailed});
    {
        auto b = good.data;
        auto v = Bytes{}.F32(std::numeric_limits<float>::quiet_NaN()).data;
        std::copy(v.begin(), v.end(), b.begin() + kHeader + 4 + 56 + 8);
        cases.push_back({"position not a number", b, Result::UnsupportedFormat});
    }
    {
        auto b = good.data;
        auto v = Bytes{}.F32(1.0e30f).data;
        std::copy(v.begin(), v.end(), b.begin() + kHeader + 4 + 16);
        cases.push_back({"absurd outer radius", b, Result::UnsupportedFormat});
    }
    {
        auto b = good.data;
        auto v = Bytes{}.F32(262144.0f).data;
        std::copy(v.begin(), v.end(), b.begin() + kHeader + 4 + 24);
        cases.push_back({"paint reaching millions high", b, Result::UnsupportedFormat});
    }
    {
        auto b = good.data;
        auto v = Bytes{}.I32(48 * 8 + 4).data;
        std::copy(v.begin(), v.end(), b.begin() + imageAt + 16);
        cases.push_back({"image data size larger than the image", b, Result::UnsupportedFormat});
    }
    {
        auto b = good.data;
        auto v = Bytes{}.I32(-5).data;
        std::copy(v.begin(), v.end(), b.begin() + imageAt + 16);
        cases.push_back({"negative image data size", b, Result::UnsupportedFormat});
    }
    {
        auto b = Truncated(good.data, imageAt);
        Bytes image;
        image.WhiteImage(8, 8);
        b.insert(b.end(), image.data.begin(), image.data.end());
        cases.push_back({"background smaller than the canvas", b, Result::UnsupportedFormat});
    }
    {
        auto b = Truncated(good.data, imageAt);
        auto image = Bytes{}.I32(16).I32(8).I32(4).I32(0).I32(64 * 8).data;
        image.resize(image.size() + 64 * 8, 0);
        b.insert(b.end(), image.begin(), image.end());
        cases.push_back({"32-bit background", b, Result::UnsupportedFormat});
    }
    {
        auto b = Truncated(good.data, imageAt);
        Bytes image;
        image.I32(16).I32(8).I32(1).I32(2).Raw({0, 0, 0, 255, 255, 255}).I32(16 * 8);
        std::vector<std::uint8_t> rows(16 * 8, 1);
        rows[37] = 2; // index past a two-entry palette
        image.Raw(rows);
        b.insert(b.end(), image.data.begin(), image.data.end());
        cases.push_back({"palette index past the palette", b, Result::UnsupportedFormat});
    }
    {
        auto b = Truncated(good.data, imageAt);
        auto image = Bytes{}.I32(16).I32(8).I32(1).I32(300).data;
        image.resize(image.size() + 900 + 4 + 128, 0);
        b.insert(b.end(), image.begin(), image.end());
        cases.push_back({"palette of 300 entries", b, Result::UnsupportedFormat});
    }
    return cases;
}

TEST_F(PaintFileTest, BrokenFilesGiveCodesAndLeaveTheCanvasAlone) {
    for (const BrokenFile& broken : BrokenFiles()) {
        SCOPED_TRACE(broken.name);
        WriteBytes(path, broken.bytes);
        PaintCanvas canvas;
        ASSERT_EQ(canvas.Create(12, 9), Result::Success);
        Paint(canvas, {MakeMetaball(DistinctMaterial(0.8f), 6.5f, 4.5f, 0.0f)});
        EXPECT_EQ(canvas.LoadPaintFile(path), broken.expected);
        EXPECT_EQ(canvas.width, 12);
        EXPECT_EQ(canvas.height, 9);
        ASSERT_TRUE(canvas.store);
        EXPECT_EQ(canvas.store->Count(), 1);
        EXPECT_EQ(canvas.backgroundImage.width, 12);
    }
}

TEST_F(PaintFileTest, AMissingFileFailsToOpen) {
    PaintCanvas canvas;
    EXPECT_EQ(canvas.LoadPaintFile(dir.File("nothing.mb")), Result::FileOpenFailed);
    EXPECT_EQ(canvas.LoadPaintFile(dir.path.string()), Result::FileOpenFailed) << "a folder is no document";
}

// A document cut anywhere fails to read, unless a record that was read whole before the cut is
// refused first. Two records precede the cut range: a full one and a repeat; the third is full again,
// and the picture is a single pixel, so cuts inside the second and third records pass the size check.
TEST_F(PaintFileTest, ACutDocumentFailsToReadUnlessAWholeRecordBeforeTheCutIsRefused) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const float secondY : {0.5f, nan}) {
        SCOPED_TRACE(secondY);
        Bytes file;
        file.Header(1, 1, 3).I32(0);
        for (float v : MaterialFloats(DistinctMaterial(0.3f))) {
            file.F32(v);
        }
        file.I32(0).I32(1).F32(0.5f).F32(0.5f).F32(0.0f);
        file.I32(1).I32(1).I32(1).F32(0.25f).F32(secondY).F32(1.0f);
        const std::size_t secondEnd = file.data.size();
        file.I32(0);
        for (float v : MaterialFloats(DistinctMaterial(0.7f))) {
            file.F32(v);
        }
        file.I32(2).I32(1).F32(0.75f).F32(0.5f).F32(2.0f).WhiteImage(1, 1);
        const bool refused = std::isnan(secondY);

        for (std::size_t size = kHeader; size <= file.data.size(); ++size) {
            SCOPED_TRACE(size);
            WriteBytes(path, Truncated(file.data, size));
            PaintCanvas canvas;
            ASSERT_EQ(canvas.Create(5, 4), Result::Success);
            const ResultCode expected = refused && size >= secondEnd ? Result::UnsupportedFormat
                                        : size == file.data.size()   ? Result::Success
                                                                     : Result::FileReadFailed;
            ASSERT_EQ(canvas.LoadPaintFile(path), expected);
            ASSERT_EQ(canvas.width, expected == Result::Success ? 1 : 5);
        }
    }
}

TEST_F(PaintFileTest, TrailingBytesAfterThePixelRowsAreIgnored) {
    Bytes file;
    file.Header(4, 4, 0).WhiteImage(4, 4).I32(12345);
    WriteBytes(path, file.data);
    PaintCanvas canvas;
    EXPECT_EQ(canvas.LoadPaintFile(path), Result::Success);
    EXPECT_EQ(canvas.store->Count(), 0);
}

} // namespace
