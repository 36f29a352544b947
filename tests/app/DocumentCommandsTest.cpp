#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

#include "ViewFixture.h"
#include "app/CommandIds.h"
#include "app/ShellTexts.h"
#include "persistence/Bmp.h"
#include "persistence/UndoJournal.h"

namespace {

class DocumentCommands : public ViewFixture {
protected:
    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    void PaintSomething() { Drag(QPoint(100, 100), QPoint(160, 110)); }
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

TEST_F(DocumentCommands, NewRefusesSizesTheCanvasCannotTake) {
    const struct {
        int width;
        int height;
        const char* message;
    } cases[] = {{0, 100, "最小値未満です。"},
                 {100, -3, "最小値未満です。"},
                 {50000, 10, "最大値を超えています。"},
                 {30001, 1, "最大値を超えています。"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
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

TEST_F(DocumentCommands, OpenErrorsAreShownAndTheHistoryRestartsAnyway) {
    WriteFile(Path("text.mb"), QByteArray("this is not a painting at all, just text"));
    QByteArray otherVersion(64, '\0');
    otherVersion.replace(0, 15, "<Gloppo-Canvas>");
    otherVersion.replace(20, 7, "<9.999>");
    WriteFile(Path("version.mb"), otherVersion);
    WriteFile(Path("short.mb"), QByteArray("<Glo"));
    const struct {
        const char* file;
        const char* message;
    } cases[] = {
        {"text.mb", "【ヌリモコ】のファイルではありません。"},
        {"version.mb", "【ヌリモコ】ファイルのバージョンが異なります。"},
        {"short.mb", "【ヌリモコ】ファイルを読めませんでした。"},
        {"missing.mb", "【ヌリモコ】ファイルを読めませんでした。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        PaintSomething();
        ASSERT_TRUE(view->IsCommandEnabled(Cmd::EditUndo));
        prompts->messages.clear();
        prompts->openPath = Path(c.file);
        view->OnCommand(Cmd::FileOpen);
        ASSERT_FALSE(prompts->messages.isEmpty());
        EXPECT_EQ(prompts->messages.last(), QString::fromUtf8(c.message));
        EXPECT_FALSE(view->IsCommandEnabled(Cmd::EditUndo));
        EXPECT_FALSE(view->Busy());
        EXPECT_EQ(view->Canvas().width, 1280);
    }
}

TEST_F(DocumentCommands, CancelledOpenStillRestartsTheHistory) {
    PaintSomething();
    ASSERT_TRUE(view->IsCommandEnabled(Cmd::EditUndo));
    prompts->openPath.clear();
    view->OnCommand(Cmd::FileOpen);
    EXPECT_FALSE(view->IsCommandEnabled(Cmd::EditUndo));
    EXPECT_EQ(view->Journal()->Entries().size(), 1u);
    // The painting itself stays.
    EXPECT_GT(view->Canvas().store->Count(), 0);
}

TEST_F(DocumentCommands, NewFromABmpFileTakesItsSizeAndPixels) {
    RasterImage picture;
    ASSERT_EQ(picture.CreateRgb(64, 32), Result::Success);
    picture.Fill(10, 200, 30); // red 10, green 200, blue 30
    ASSERT_EQ(SaveBmpFile(picture, Path("pic.bmp").toStdString()), Result::Success);
    prompts->openPath = Path("pic.bmp");
    view->OnCommand(Cmd::FileNewFromImage);
    EXPECT_EQ(prompts->openFilters.last(), QStringLiteral("Bitmapﾌｧｲﾙ (*.bmp);;すべてのﾌｧｲﾙ (*.*)"));
    EXPECT_EQ(view->Canvas().width, 64);
    EXPECT_EQ(view->Canvas().height, 32);
    const std::uint8_t* px = view->Canvas().renderedImage.PixelAt(5, 5);
    EXPECT_EQ(px[2], 10);
    EXPECT_EQ(px[1], 200);
    EXPECT_EQ(px[0], 30);
    EXPECT_EQ(view->Journal()->Entries().size(), 1u);

    // A file of another extension is refused by the reader.
    prompts->openPath = Path("pic.png");
    view->OnCommand(Cmd::FileNewFromImage);
    EXPECT_EQ(prompts->messages.last(), QStringLiteral("未対応のﾃﾞｰﾀ形式です。"));
    EXPECT_EQ(view->Canvas().width, 64);
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
    prompts->savePath = Path("out.bmp");
    view->OnCommand(Cmd::SavePicture);
    ASSERT_EQ(prompts->saveDialogs.size(), 1u);
    EXPECT_EQ(prompts->saveDialogs[0].extension, QStringLiteral("bmp"));
    EXPECT_EQ(prompts->saveDialogs[0].filter, QStringLiteral("Bitmapﾌｧｲﾙ (*.bmp);;すべてのﾌｧｲﾙ (*.*)"));
    RasterImage back;
    ASSERT_EQ(LoadBmpFile(back, Path("out.bmp").toStdString()), Result::Success);
    EXPECT_EQ(back.data, view->Canvas().renderedImage.data);

    view->OnCommand(Cmd::CopyPicture);
    EXPECT_EQ(prompts->copiedPicture.data, view->Canvas().renderedImage.data);
    prompts->clipboardWritable = false;
    view->OnCommand(Cmd::CopyPicture);
    EXPECT_EQ(prompts->messages.last(), QStringLiteral("画像をクリップボードにコピーできません。"));

    // A name of another extension writes nothing and says nothing.
    prompts->messages.clear();
    prompts->savePath = Path("out.png");
    view->OnCommand(Cmd::SavePicture);
    EXPECT_FALSE(QFile::exists(Path("out.png")));
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
