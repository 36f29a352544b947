// A file handed to the program from outside: `nurimoko PATH`, as the desktop entry runs it.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "ViewFixture.h"
#include "app/COvaneApp.h"
#include "persistence/PictureFile.h"
#include "persistence/UndoJournal.h"

namespace {

TEST(StartFileArguments, TheFirstArgumentIsTheFileAsAnAbsolutePath) {
    const QString here = QDir::currentPath();
    struct Case {
        QStringList arguments;
        QString expected;
    };
    const std::vector<Case> cases = {
        {{"nurimoko"}, QString()},
        {{"nurimoko", ""}, QString()},
        {{"nurimoko", "/home/a/絵.mb"}, "/home/a/絵.mb"},
        {{"nurimoko", "painting.mb"}, here + "/painting.mb"},
        {{"nurimoko", "pictures/../sky.png"}, here + "/sky.png"},
        {{"nurimoko", "file:///home/a/%E7%B5%B5.mb"}, "/home/a/絵.mb"},
        {{"nurimoko", "/first.mb", "/second.mb"}, "/first.mb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(StartFileFromArguments(c.arguments), c.expected);
    }
}

class StartFile : public ViewFixture {
protected:
    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
};

TEST_F(StartFile, APaintDocumentOpensAsTheOpenCommandOpensItAndKeepsItsCaption) {
    PaintCanvas painting;
    ASSERT_EQ(painting.Create(90, 60), Result::Success);
    painting.backgroundImage.Fill(30, 60, 200);
    std::vector<Metaball> metaballs(1);
    PaintCanvas::MetaballFromTemplate(metaballs[0], 40.5f, 30.5f, 0.0f, MaterialBlock{});
    UpdateRect changed;
    ASSERT_EQ(painting.AddMetaballs(metaballs, changed), Result::Success);
    ASSERT_EQ(painting.SavePaintFile(Path("絵.mb").toStdString()), Result::Success);

    // Handed over before the start timer ticked: opened right after it, so its path stays the caption.
    view->OpenStartFile(Path("絵.mb"));
    EXPECT_EQ(view->Canvas().width, 1280) << "nothing is opened before the start-up is complete";
    view->OnStartTimer();
    EXPECT_EQ(view->Canvas().width, 90);
    EXPECT_EQ(view->Canvas().height, 60);
    EXPECT_EQ(view->Canvas().store->Count(), 1);
    EXPECT_EQ(view->CurrentPath(), Path("絵.mb"));
    EXPECT_EQ(view->Caption(), Path("絵.mb"));
    EXPECT_FALSE(view->Modified());
    EXPECT_EQ(view->Journal()->Entries().size(), 1u);
    EXPECT_TRUE(prompts->openFilters.isEmpty()) << "no dialog is shown";
    EXPECT_TRUE(prompts->messages.isEmpty());
}

TEST_F(StartFile, PicturesStartANewCanvasAndFailuresShowTheCommandsMessages) {
    view->OnStartTimer();
    struct Picture {
        const char* name;
        std::int32_t width;
        std::int32_t height;
        std::uint8_t red;
    };
    for (const Picture p : {Picture{"sky.bmp", 33, 21, 250}, Picture{"sky.png", 40, 22, 7}}) {
        SCOPED_TRACE(p.name);
        RasterImage picture;
        ASSERT_EQ(picture.CreateRgb(p.width, p.height), Result::Success);
        picture.Fill(p.red, 120, 5);
        ASSERT_EQ(SavePictureFile(picture, Path(p.name).toStdString()), Result::Success);
        view->OpenStartFile(Path(p.name));
        EXPECT_EQ(view->Canvas().width, p.width);
        EXPECT_EQ(view->Canvas().height, p.height);
        EXPECT_EQ(view->Canvas().backgroundImage.data, picture.data);
        EXPECT_EQ(view->Canvas().renderedImage.data, picture.data);
        EXPECT_TRUE(view->CurrentPath().isEmpty()) << "a new canvas has no document yet";
        EXPECT_TRUE(prompts->messages.isEmpty());
    }

    struct Case {
        const char* name;
        QByteArray bytes; // empty: no such file
        const char* message;
    };
    const std::vector<Case> cases = {
        {"notes.txt", "just words, no painting", "【ヌリモコ】のファイルではありません。"},
        {"missing.mb", QByteArray(), "【ヌリモコ】ファイルを読めませんでした。"},
        {"missing.png", QByteArray(), "ﾌｧｲﾙを開けませんでした。"},
        {"broken.bmp", "BM", "ﾌｧｲﾙからﾃﾞｰﾀを読み込めませんでした。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.bytes.isEmpty()) {
            QFile file(Path(c.name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.bytes);
        }
        prompts->messages.clear();
        view->OpenStartFile(Path(c.name));
        ASSERT_EQ(prompts->messages.size(), 1);
        EXPECT_EQ(prompts->messages[0], QString::fromUtf8(c.message));
        EXPECT_TRUE(view->CurrentPath().isEmpty());
    }
}

// A painting with unsaved changes (one restored from a recovery copy, say) is not thrown away for a picture
// named on the command line: the save question comes first, and キャンセル keeps the painting.
TEST_F(StartFile, APictureAsksBeforeItReplacesUnsavedPaint) {
    view->OnStartTimer();
    Drag(QPoint(100, 100), QPoint(180, 120));
    ASSERT_TRUE(view->Modified());
    const std::int32_t metaballs = view->Canvas().store->Count();
    RasterImage picture;
    ASSERT_EQ(picture.CreateRgb(30, 20), Result::Success);
    ASSERT_EQ(SavePictureFile(picture, Path("sky.bmp").toStdString()), Result::Success);

    prompts->saveAnswers = {PromptAnswer::Cancel};
    view->OpenStartFile(Path("sky.bmp"));
    EXPECT_EQ(prompts->saveQuestions, 1);
    EXPECT_EQ(view->Canvas().width, 1280);
    EXPECT_EQ(view->Canvas().store->Count(), metaballs);
    EXPECT_TRUE(view->Modified());

    prompts->saveAnswers = {PromptAnswer::No};
    view->OpenStartFile(Path("sky.bmp"));
    EXPECT_EQ(prompts->saveQuestions, 2);
    EXPECT_EQ(view->Canvas().width, 30);
}

} // namespace
