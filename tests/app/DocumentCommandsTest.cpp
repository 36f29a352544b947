#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <cmath>
#include <optional>

#include "ViewFixture.h"
#include "app/CommandIds.h"
#include "engine/MemoryLimit.h"
#include "app/ShellTexts.h"
#include "persistence/Bmp.h"
#include "persistence/PictureFile.h"
#include "persistence/UndoJournal.h"

namespace {

class DocumentCommands : public ViewFixture {
protected:
    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    void PaintSomething() { Drag(QPoint(100, 100), QPoint(160, 110)); }
    static QByteArray ReadFile(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void WriteFile(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

TEST_F(DocumentCommands, NewAsksForTheSizeStartingFromTheCurrentOne) {
    prompts->newImageOk = true;
    prompts->newWidth = 1024;
    prompts->newHeight = 768;
    view->OnCommand(Cmd::FileNew);
    EXPECT_EQ(prompts->askedWidth, 1280);
    EXPECT_EQ(prompts->askedHeight, 720);
    EXPECT_EQ(view->Canvas().width, 1024);
    EXPECT_EQ(view->Canvas().height, 768);
    EXPECT_EQ(view->Geometry().displayRect, (FloatRect{0, 0, 1024, 768}));
    EXPECT_EQ(view->Journal()->Entries().size(), 1u);
    EXPECT_TRUE(view->StatusText().startsWith(QStringLiteral("処理時間: ")));
    // The new canvas is drawn: white, not the checkerboard.
    EXPECT_EQ(view->DisplayImage().PixelAt(30, 10)[0], 255);
    EXPECT_EQ(view->DisplayImage().PixelAt(0, 0)[0], 255);
}

TEST_F(DocumentCommands, EveryNewCanvasTakesAFreshCaption) {
    RasterImage picture;
    ASSERT_EQ(picture.CreateRgb(16, 8), Result::Success);
    ASSERT_EQ(SaveBmpFile(picture, Path("small.bmp").toStdString()), Result::Success);
    prompts->openPath = Path("small.bmp");
    prompts->clipboardCode = Result::Success;
    prompts->clipboardPicture = picture;
    prompts->newImageOk = true;
    prompts->newWidth = 100;
    prompts->newHeight = 50;
    for (const int command : {Cmd::FileNew, Cmd::FileNewFromImage, Cmd::FileNewFromClipboard}) {
        SCOPED_TRACE(command);
        prompts->savePath = Path("named.mb");
        view->OnCommand(Cmd::FileSaveAs);
        ASSERT_EQ(view->Caption(), Path("named.mb"));
        view->OnCommand(command);
        EXPECT_EQ(view->Caption(), QStringLiteral("ヌリモコ"));
        EXPECT_TRUE(view->CurrentPath().isEmpty());
    }
}

TEST_F(DocumentCommands, NewCancelledChangesNothing) {
    PaintSomething();
    prompts->newImageOk = false;
    const int count = view->Canvas().store->Count();
    view->OnCommand(Cmd::FileNew);
    EXPECT_EQ(prompts->saveQuestions, 1); // the painting was modified
    EXPECT_EQ(view->Canvas().store->Count(), count);
    EXPECT_TRUE(view->Modified());
}

// A new canvas may have any size whose buffers fit in memory and whose background a document can hold,
// so that it can be saved and opened again; no side has a limit of its own.
TEST_F(DocumentCommands, NewRefusesSizesTheCanvasCannotTake) {
    const std::uint64_t terabyte = std::uint64_t{1} << 40;
    const struct {
        int width;
        int height;
        std::uint64_t memory; // 0: the machine's
        const char* message;
    } cases[] = {{0, 100, 0, "最小値未満です。"},
                 {100, -3, 0, "最小値未満です。"},
                 {200000, 200000, 0, "ﾒﾓﾘｰ不足です。"},
                 {2147483647, 2147483647, 0, "ﾒﾓﾘｰ不足です。"},
                 {640, 480, PaintCanvas::BytesNeeded(640, 480) - 1, "ﾒﾓﾘｰ不足です。"},
                 {50000, 50000, terabyte, "最大値を超えています。"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        std::optional<ScopedMemoryLimit> memory;
        if (c.memory != 0) {
            memory.emplace(c.memory);
        }
        prompts->messages.clear();
        prompts->newImageOk = true;
        prompts->newWidth = c.width;
        prompts->newHeight = c.height;
        view->OnCommand(Cmd::FileNew);
        ASSERT_EQ(prompts->messages.size(), 1);
        EXPECT_EQ(prompts->messages[0], QString::fromUtf8(c.message));
        EXPECT_EQ(view->Canvas().width, 1280);
        EXPECT_FALSE(view->Busy());
    }
    for (const QSize size : {QSize(30720, 3), QSize(1, 40)}) {
        SCOPED_TRACE(size.width());
        prompts->messages.clear();
        prompts->newWidth = size.width();
        prompts->newHeight = size.height();
        view->OnCommand(Cmd::FileNew);
        EXPECT_TRUE(prompts->messages.isEmpty()) << prompts->messages.join(u' ').toStdString();
        EXPECT_EQ(view->Canvas().width, size.width());
        EXPECT_EQ(view->Canvas().height, size.height());
    }
}

TEST_F(DocumentCommands, SaveWithoutPathAsksWithTheLocalTimeAndSetsCaption) {
    PaintSomething();
    prompts->savePath = Path("painting.mb");
    view->OnCommand(Cmd::FileSave);
    ASSERT_EQ(prompts->saveDialogs.size(), 1u);
    EXPECT_TRUE(
        prompts->saveDialogs[0].defaultName.contains(QRegularExpression(QStringLiteral("^\\d{8}-\\d{6}$"))))
        << prompts->saveDialogs[0].defaultName.toStdString();
    EXPECT_EQ(prompts->saveDialogs[0].extension, QStringLiteral("mb"));
    EXPECT_EQ(prompts->saveDialogs[0].filter, QStringLiteral("MBファイル (*.mb);;すべてのファイル (*.*)"));
    EXPECT_TRUE(QFile::exists(Path("painting.mb")));
    EXPECT_FALSE(view->Modified());
    EXPECT_EQ(view->CurrentPath(), Path("painting.mb"));
    EXPECT_EQ(view->Caption(), Path("painting.mb"));
    // A second save goes to the same file without a dialog; save as always asks.
    view->OnCommand(Cmd::FileSave);
    EXPECT_EQ(prompts->saveDialogs.size(), 1u);
    prompts->savePath.clear();
    view->OnCommand(Cmd::FileSaveAs);
    EXPECT_EQ(prompts->saveDialogs.size(), 2u);
    EXPECT_EQ(view->CurrentPath(), Path("painting.mb"));
}

TEST_F(DocumentCommands, FailedSaveKeepsFlagAndPath) {
    PaintSomething();
    prompts->savePath = Path("no-such-folder/x.mb");
    view->OnCommand(Cmd::FileSaveAs);
    ASSERT_EQ(prompts->messages.size(), 1);
    EXPECT_EQ(prompts->messages[0], QStringLiteral("ﾌｧｲﾙを開けませんでした。"));
    EXPECT_TRUE(view->Modified());
    EXPECT_TRUE(view->CurrentPath().isEmpty());
    EXPECT_FALSE(view->Busy());
}

TEST_F(DocumentCommands, OpenReadsThePaintingBackAndRestartsTheHistory) {
    PaintSomething();
    prompts->savePath = Path("round.mb");
    view->OnCommand(Cmd::FileSaveAs);
    const int count = view->Canvas().store->Count();
    const QColor painted = RenderedAt(QPoint(130, 105));
    prompts->newImageOk = true;
    prompts->newWidth = 200;
    prompts->newHeight = 100;
    view->OnCommand(Cmd::FileNew);

    prompts->openPath = Path("round.mb");
    view->OnCommand(Cmd::FileOpen);
    EXPECT_EQ(prompts->openFilters.last(), QStringLiteral("MBファイル (*.mb);;すべてのﾌｧｲﾙ (*.*)"));
    EXPECT_EQ(view->Canvas().width, 1280);
    EXPECT_EQ(view->Canvas().store->Count(), count);
    EXPECT_EQ(RenderedAt(QPoint(130, 105)), painted);
    EXPECT_EQ(view->Geometry().displayRect, (FloatRect{0, 0, 1280, 720}));
    EXPECT_FALSE(view->Modified());
    EXPECT_EQ(view->Caption(), Path("round.mb"));
    EXPECT_EQ(view->Journal()->Entries().size(), 1u);
    EXPECT_FALSE(view->IsCommandEnabled(Cmd::EditUndo));
}

// A document that cannot be opened leaves the painting on screen as it was, and its history with it:
// the strokes just made can still be undone and redone.
TEST_F(DocumentCommands, OpenErrorsAreShownAndKeepThePaintingWithItsHistory) {
    WriteFile(Path("text.mb"), QByteArray("this is not a painting at all, just text"));
    QByteArray otherVersion(64, '\0');
    otherVersion.replace(0, 15, "<Gloppo-Canvas>");
    otherVersion.replace(20, 7, "<9.999>");
    WriteFile(Path("version.mb"), otherVersion);
    WriteFile(Path("short.mb"), QByteArray("<Glo"));
    // A canvas of 200,000 × 200,000 needs terabytes.
    QByteArray huge(72, '\0');
    huge.replace(0, 15, "<Gloppo-Canvas>");
    huge.replace(20, 7, "<1.001>");
    huge.replace(40, 8, QByteArray::fromHex("400d0300400d0300"));
    WriteFile(Path("huge.mb"), huge);
    const struct {
        const char* file;
        const char* message;
    } cases[] = {
        {"text.mb", "【ヌリモコ】のファイルではありません。"},
        {"version.mb", "【ヌリモコ】ファイルのバージョンが異なります。"},
        {"short.mb", "【ヌリモコ】ファイルを読めませんでした。"},
        {"missing.mb", "【ヌリモコ】ファイルを読めませんでした。"},
        {"huge.mb", "【ヌリモコ】ファイルを読めませんでした。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        PaintSomething();
        ASSERT_TRUE(view->IsCommandEnabled(Cmd::EditUndo));
        const std::size_t entries = view->Journal()->Entries().size();
        const int count = view->Canvas().store->Count();
        const QColor painted = RenderedAt(QPoint(130, 105));
        const QByteArray before = QFile::exists(Path(c.file)) ? ReadFile(Path(c.file)) : QByteArray();
        prompts->messages.clear();
        prompts->openPath = Path(c.file);
        QElapsedTimer timer;
        timer.start();
        view->OnCommand(Cmd::FileOpen);
        EXPECT_LT(timer.elapsed(), 1000);
        ASSERT_FALSE(prompts->messages.isEmpty());
        EXPECT_EQ(prompts->messages.last(), QString::fromUtf8(c.message));
        EXPECT_FALSE(view->Busy());
        EXPECT_EQ(view->Canvas().width, 1280);
        EXPECT_EQ(view->Canvas().store->Count(), count);
        EXPECT_EQ(RenderedAt(QPoint(130, 105)), painted);
        EXPECT_EQ(view->Journal()->Entries().size(), entries);
        EXPECT_EQ(QFile::exists(Path(c.file)) ? ReadFile(Path(c.file)) : QByteArray(), before);

        // The last stroke goes and comes back.
        ASSERT_TRUE(view->IsCommandEnabled(Cmd::EditUndo));
        view->OnCommand(Cmd::EditUndo);
        EXPECT_EQ(prompts->messages.last(), QString::fromUtf8(c.message)) << "undo works without a message";
        EXPECT_EQ(view->Canvas().store->records.back().state, MetaballErased);
        ASSERT_TRUE(view->IsCommandEnabled(Cmd::EditRedo));
        view->OnCommand(Cmd::EditRedo);
        EXPECT_EQ(view->Canvas().store->records.back().state, MetaballLive);
        EXPECT_EQ(RenderedAt(QPoint(130, 105)), painted);
    }
}

// Paintings the program makes open again in it, whatever their size or the height of their paint, show
// as a canvas loaded on its own does, and save back to the very same bytes.
TEST_F(DocumentCommands, PaintingsOfAnySizeAndHeightOpenAndSaveBackUnchanged) {
    const struct {
        const char* name;
        int width;
        int height;
        float z; // of the paint; NaN for none
    } cases[] = {
        {"paint at 1,500,000", 300, 200, 1500000.0f},
        {"paint at 4,000,000", 300, 200, 4000000.0f},
        {"an empty strip", 1, 40, std::nanf("")},
        {"a banner", 30720, 3, 1.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString document = Path("made.mb");
        {
            PaintCanvas canvas;
            ASSERT_EQ(canvas.Create(c.width, c.height), Result::Success);
            canvas.backgroundImage.Fill(20, 90, 160);
            if (!std::isnan(c.z)) {
                MaterialBlock material;
                material.innerRadius = 1.5f;
                material.outerRadius = 3.0f;
                std::vector<Metaball> metaballs(2);
                PaintCanvas::MetaballFromTemplate(metaballs[0], 1.5f, 1.5f, c.z, material);
                PaintCanvas::MetaballFromTemplate(metaballs[1], c.width - 4.5f, 1.5f, 0.0f, material);
                UpdateRect changed;
                ASSERT_EQ(canvas.AddMetaballs(metaballs, changed), Result::Success);
            }
            ASSERT_EQ(canvas.SavePaintFile(document.toStdString()), Result::Success);
        }
        prompts->messages.clear();
        prompts->openPath = document;
        view->OnCommand(Cmd::FileOpen);
        EXPECT_TRUE(prompts->messages.isEmpty()) << prompts->messages.join(u' ').toStdString();
        ASSERT_EQ(view->Canvas().width, c.width);
        ASSERT_EQ(view->Canvas().height, c.height);

        PaintCanvas alone;
        ASSERT_EQ(alone.LoadPaintFile(document.toStdString()), Result::Success);
        alone.antiAliasing = view->Canvas().antiAliasing;
        UpdateRect all = UpdateRect::Make(0, 0, c.width - 1, c.height - 1);
        alone.BeginOperation();
        ASSERT_EQ(alone.Render(all), Result::Success);
        alone.EndOperation();
        EXPECT_EQ(view->Canvas().renderedImage.data, alone.renderedImage.data);
        EXPECT_EQ(view->Canvas().renderedImage.data != view->Canvas().backgroundImage.data, !std::isnan(c.z));

        prompts->savePath = Path("saved.mb");
        view->OnCommand(Cmd::FileSaveAs);
        EXPECT_EQ(ReadFile(Path("saved.mb")), ReadFile(document));
    }
}

TEST_F(DocumentCommands, CancelledOpenKeepsThePaintingAndItsHistory) {
    PaintSomething();
    ASSERT_TRUE(view->IsCommandEnabled(Cmd::EditUndo));
    const std::size_t entries = view->Journal()->Entries().size();
    const std::int32_t metaballs = view->Canvas().store->Count();
    prompts->openPath.clear();
    view->OnCommand(Cmd::FileOpen);
    EXPECT_TRUE(view->IsCommandEnabled(Cmd::EditUndo));
    EXPECT_EQ(view->Journal()->Entries().size(), entries);
    EXPECT_EQ(view->Canvas().store->Count(), metaballs);
    view->OnCommand(Cmd::EditUndo);
    EXPECT_TRUE(view->IsCommandEnabled(Cmd::EditRedo));
}

TEST_F(DocumentCommands, NewFromABmpOrPngFileTakesItsSizeAndPixels) {
    struct Case {
        const char* name;
        std::int32_t width;
        std::uint8_t red;
    };
    for (const Case c : {Case{"pic.bmp", 64, 10}, Case{"pic.png", 48, 90}}) {
        SCOPED_TRACE(c.name);
        RasterImage picture;
        ASSERT_EQ(picture.CreateRgb(c.width, 32), Result::Success);
        picture.Fill(c.red, 200, 30); // red, green 200, blue 30
        ASSERT_EQ(SavePictureFile(picture, Path(c.name).toStdString()), Result::Success);
        prompts->openPath = Path(c.name);
        view->OnCommand(Cmd::FileNewFromImage);
        EXPECT_EQ(prompts->openFilters.last(),
                  QStringLiteral("Bitmapﾌｧｲﾙ (*.bmp);;PNGﾌｧｲﾙ (*.png);;すべてのﾌｧｲﾙ (*.*)"));
        EXPECT_EQ(view->Canvas().width, c.width);
        EXPECT_EQ(view->Canvas().height, 32);
        const std::uint8_t* px = view->Canvas().renderedImage.PixelAt(5, 5);
        EXPECT_EQ(px[2], c.red);
        EXPECT_EQ(px[1], 200);
        EXPECT_EQ(px[0], 30);
        EXPECT_EQ(view->Journal()->Entries().size(), 1u);
    }

    // A banner wider than 30,000 pixels is a picture like any other.
    RasterImage banner;
    ASSERT_EQ(banner.CreateRgb(30720, 3), Result::Success);
    banner.Fill(200, 100, 50);
    banner.PixelAt(30719, 2)[0] = 7;
    ASSERT_EQ(SaveBmpFile(banner, Path("banner.bmp").toStdString()), Result::Success);
    prompts->openPath = Path("banner.bmp");
    view->OnCommand(Cmd::FileNewFromImage);
    EXPECT_EQ(view->Canvas().width, 30720);
    EXPECT_EQ(view->Canvas().height, 3);
    EXPECT_EQ(view->Canvas().renderedImage.data, banner.data);

    // A file of another extension is refused by the reader.
    prompts->openPath = Path("pic.jpg");
    QFile::copy(Path("pic.png"), Path("pic.jpg"));
    view->OnCommand(Cmd::FileNewFromImage);
    EXPECT_EQ(prompts->messages.last(), QStringLiteral("未対応のﾃﾞｰﾀ形式です。"));
    EXPECT_EQ(view->Canvas().width, 30720);
}

TEST_F(DocumentCommands, NewFromClipboardExpandsPalettePicturesAndRefusesEmptyOnes) {
    view->OnCommand(Cmd::FileNewFromClipboard);
    ASSERT_EQ(prompts->messages.size(), 1);
    EXPECT_EQ(prompts->messages[0], QStringLiteral("ﾃﾞｰﾀがありません。"));

    // A picture without pixels (a device bitmap the reader did not convert) makes no canvas.
    prompts->clipboardCode = Result::Success;
    prompts->clipboardPicture = RasterImage();
    view->OnCommand(Cmd::FileNewFromClipboard);
    EXPECT_EQ(prompts->messages.last(), QStringLiteral("ﾃﾞｰﾀがありません。"));
    EXPECT_EQ(view->Canvas().width, 1280);

    RasterImage palette;
    ASSERT_EQ(palette.Create(8, 4, 1, 2), Result::Success);
    palette.palette = {0, 0, 0, 250, 100, 20};
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            palette.PixelAt(x, y)[0] = static_cast<std::uint8_t>((x + y) % 2);
        }
    }
    prompts->clipboardPicture = palette;
    view->OnCommand(Cmd::FileNewFromClipboard);
    EXPECT_EQ(view->Canvas().width, 8);
    EXPECT_EQ(view->Canvas().backgroundImage.bytesPerPixel, 3);
    const std::uint8_t* px = view->Canvas().backgroundImage.PixelAt(1, 0);
    EXPECT_EQ(px[2], 250);
    EXPECT_EQ(px[1], 100);
    EXPECT_EQ(px[0], 20);
}

TEST_F(DocumentCommands, PicturesAreTheRenderedCanvasAndCopyFailureIsReported) {
    PaintSomething();
    for (const char* name : {"out.bmp", "out.png"}) {
        SCOPED_TRACE(name);
        prompts->saveDialogs.clear();
        prompts->savePath = Path(name);
        view->OnCommand(Cmd::SavePicture);
        ASSERT_EQ(prompts->saveDialogs.size(), 1u);
        EXPECT_EQ(prompts->saveDialogs[0].extension, QStringLiteral("bmp"));
        EXPECT_EQ(prompts->saveDialogs[0].filter,
                  QStringLiteral("Bitmapﾌｧｲﾙ (*.bmp);;PNGﾌｧｲﾙ (*.png);;すべてのﾌｧｲﾙ (*.*)"));
        RasterImage back;
        ASSERT_EQ(LoadPictureFile(back, Path(name).toStdString()), Result::Success);
        EXPECT_EQ(back.data, view->Canvas().renderedImage.data);
    }
    QFile png(Path("out.png"));
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    EXPECT_EQ(png.read(4), QByteArray("\x89PNG")) << "the chosen type decides the file's format";

    view->OnCommand(Cmd::CopyPicture);
    EXPECT_EQ(prompts->copiedPicture.data, view->Canvas().renderedImage.data);
    prompts->clipboardWritable = false;
    view->OnCommand(Cmd::CopyPicture);
    EXPECT_EQ(prompts->messages.last(), QStringLiteral("画像をクリップボードにコピーできません。"));

    // A name of another extension writes nothing and says nothing.
    prompts->messages.clear();
    prompts->savePath = Path("out.jpg");
    view->OnCommand(Cmd::SavePicture);
    EXPECT_FALSE(QFile::exists(Path("out.jpg")));
    EXPECT_TRUE(prompts->messages.isEmpty());
}

TEST_F(DocumentCommands, TheManualOpensOrAMessageNamesItsFile) {
    struct Case {
        const char* name;
        bool fileExists;
        bool shellOpens;
        bool opened;
    };
    const QString manual = Path("「ヌリモコ」説明書.pdf");
    for (const Case& c : {Case{"there", true, true, true}, Case{"missing", false, true, false},
                          Case{"nothing opens it", true, false, false}}) {
        SCOPED_TRACE(c.name);
        QFile::remove(manual);
        if (c.fileExists) {
            WriteFile(manual, QByteArray("%PDF-1.4\n"));
        }
        ViewOptions options;
        options.undoFolder = Path("UNDO2");
        options.createDialogs = false;
        options.manualPath = manual;
        COvaneView other(nullptr, options);
        auto fake = std::make_unique<FakePrompts>();
        FakePrompts* asked = fake.get();
        other.SetPrompts(std::move(fake));
        asked->shellOpens = c.shellOpens;
        other.OnCommand(Cmd::Manual);
        EXPECT_EQ(asked->shellOpened.size(), c.fileExists ? 1 : 0);
        if (c.opened) {
            EXPECT_TRUE(asked->messages.isEmpty());
        } else {
            ASSERT_EQ(asked->messages.size(), 1);
            EXPECT_TRUE(asked->messages[0].startsWith(QStringLiteral("説明書を開けませんでした。")));
            EXPECT_TRUE(asked->messages[0].contains(manual));
        }
    }
    // The manual's place by default: beside the program.
    view->OnCommand(Cmd::Manual);
    ASSERT_FALSE(prompts->messages.isEmpty());
    EXPECT_TRUE(prompts->messages.last().endsWith(QStringLiteral("/「ヌリモコ」説明書.pdf")));
}

TEST_F(DocumentCommands, TheHomepageCommandExistsOnlyWithAnAddress) {
    EXPECT_EQ(view->IsCommandEnabled(Cmd::Homepage), !QString::fromUtf8(ShellText::HomepageUrl).isEmpty());
    for (const char* address : {"", "https://example.com/nurimoko/"}) {
        SCOPED_TRACE(address);
        ViewOptions options;
        options.undoFolder = Path("UNDO2");
        options.createDialogs = false;
        options.homepageUrl = QString::fromUtf8(address);
        COvaneView other(nullptr, options);
        auto fake = std::make_unique<FakePrompts>();
        FakePrompts* asked = fake.get();
        other.SetPrompts(std::move(fake));
        other.OnCommand(Cmd::Homepage);
        const bool has = address[0] != '\0';
        EXPECT_EQ(other.IsCommandEnabled(Cmd::Homepage), has);
        EXPECT_EQ(asked->shellOpened, has ? QStringList{QString::fromUtf8(address)} : QStringList{});
    }
}

TEST_F(DocumentCommands, InformationAndAboutShowTheirDialogs) {
    view->OnCommand(Cmd::Information);
    view->OnCommand(Cmd::About);
    EXPECT_EQ(prompts->informationShown, 1);
    EXPECT_EQ(prompts->aboutShown, 1);
}

} // namespace
