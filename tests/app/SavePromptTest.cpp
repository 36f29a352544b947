// The question "変更内容をMBファイルに保存しますか？" before every command that replaces the painting: a
// save that does not happen stops the command, so no answer ever loses a stroke.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "ViewFixture.h"
#include "app/CommandIds.h"
#include "persistence/Bmp.h"
#include "persistence/UndoJournal.h"

namespace {

struct Answer {
    const char* name;
    PromptAnswer answer;
    bool hasFile;       // the painting was saved to a file before its last stroke
    bool fileWritable;  // that file can be written again
    const char* dialog; // what the save dialog returns; nullptr: it is cancelled
    bool saveFails;
    bool commandGoesOn;
};

class SavePrompt : public ViewFixture {
protected:
    void SetUp() override {
        ViewFixture::SetUp();
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("kept")));
        // What the commands open: a 200 × 100 painting and a 64 × 32 picture.
        PaintCanvas other;
        ASSERT_EQ(other.Create(200, 100), Result::Success);
        ASSERT_EQ(other.SavePaintFile(Path("other.mb").toStdString()), Result::Success);
        RasterImage picture;
        ASSERT_EQ(picture.CreateRgb(64, 32), Result::Success);
        ASSERT_EQ(SaveBmpFile(picture, Path("picture.bmp").toStdString()), Result::Success);
        prompts->clipboardCode = Result::Success;
        ASSERT_EQ(prompts->clipboardPicture.CreateRgb(8, 4), Result::Success);
        prompts->newWidth = 300;
        prompts->newHeight = 150;
    }
    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    int StoredCount(const QString& path) {
        PaintCanvas back;
        return back.LoadPaintFile(path.toStdString()) == Result::Success ? back.store->Count() : -1;
    }
};

const Answer Answers[] = {
    {"キャンセル", PromptAnswer::Cancel, false, true, nullptr, false, false},
    {"キャンセル with a file", PromptAnswer::Cancel, true, true, nullptr, false, false},
    {"はい, save dialog cancelled", PromptAnswer::Yes, false, true, nullptr, false, false},
    {"はい, save fails", PromptAnswer::Yes, false, true, "missing-folder/x.mb", true, false},
    {"はい, the current file cannot be written", PromptAnswer::Yes, true, false, nullptr, true, false},
    {"はい, saved through the dialog", PromptAnswer::Yes, false, true, "kept/new.mb", false, true},
    {"はい, saved to the current file", PromptAnswer::Yes, true, true, nullptr, false, true},
    {"いいえ", PromptAnswer::No, false, true, nullptr, false, true},
};

TEST_F(SavePrompt, EveryAnswerEitherSavesOrStopsTheCommand) {
    int closeAnswer = -1;
    struct Command {
        const char* name;
        std::function<void()> run;
        // Whether the command went on after the question, judged by what it does.
        std::function<bool()> wentOn;
    };
    const Command commands[] = {
        {"close", [&] { closeAnswer = view->OnCloseQuery(); }, [&] { return closeAnswer == 0; }},
        {"new", [&] { view->OnCommand(Cmd::FileNew); }, [&] { return view->Canvas().width == 300; }},
        {"new from a picture file",
         [&] {
             prompts->openPath = Path("picture.bmp");
             view->OnCommand(Cmd::FileNewFromImage);
         },
         [&] { return view->Canvas().width == 64; }},
        {"new from the clipboard", [&] { view->OnCommand(Cmd::FileNewFromClipboard); },
         [&] { return view->Canvas().width == 8; }},
        {"open",
         [&] {
             prompts->openPath = Path("other.mb");
             view->OnCommand(Cmd::FileOpen);
         },
         [&] { return view->Canvas().width == 200; }},
        {"dropped file", [&] { view->OpenCommand(Path("other.mb")); },
         [&] { return view->Canvas().width == 200; }},
    };
    for (const Command& command : commands) {
        for (const Answer& a : Answers) {
            SCOPED_TRACE(std::string(command.name) + " / " + a.name);
            // A fresh painting with one stroke, saved to a file or not, then a second stroke not yet saved.
            prompts->newImageOk = true;
            prompts->newWidth = 400;
            prompts->newHeight = 300;
            view->SetModifiedFlag(false);
            view->OnCommand(Cmd::FileNew);
            ASSERT_EQ(view->Canvas().width, 400);
            prompts->newWidth = 300;
            prompts->newHeight = 150;
            ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("kept")));
            const QString file = Path("kept/mine.mb");
            Drag(QPoint(100, 100), QPoint(120, 100), 1);
            if (a.hasFile) {
                prompts->savePath = file;
                view->OnCommand(Cmd::FileSaveAs);
                ASSERT_EQ(view->CurrentPath(), file);
            }
            Drag(QPoint(100, 200), QPoint(120, 200), 1);
            ASSERT_TRUE(view->Modified());
            if (!a.fileWritable) {
                // The file's folder is gone, so the file cannot be written again.
                ASSERT_TRUE(QDir(Path("kept")).removeRecursively());
            }
            const int particles = view->Canvas().store->Count();
            const std::size_t history = view->Journal()->Entries().size();
            const QString pathBefore = view->CurrentPath();

            prompts->saveQuestions = 0;
            prompts->messages.clear();
            prompts->saveDialogs.clear();
            prompts->saveAnswers = {a.answer};
            prompts->savePath = a.dialog ? Path(a.dialog) : QString();
            closeAnswer = -1;
            command.run();

            EXPECT_EQ(prompts->saveQuestions, 1);
            // はい asks for a name only when the painting has no file.
            const bool dialogExpected = a.answer == PromptAnswer::Yes && !a.hasFile;
            EXPECT_EQ(prompts->saveDialogs.size(), dialogExpected ? 1u : 0u);
            EXPECT_EQ(command.wentOn(), a.commandGoesOn);
            if (!a.commandGoesOn) {
                // Nothing changed: the painting, its history, its file and the unsaved mark.
                EXPECT_EQ(view->Canvas().width, 400);
                EXPECT_EQ(view->Canvas().store->Count(), particles);
                EXPECT_EQ(view->Journal()->Entries().size(), history);
                EXPECT_TRUE(view->IsCommandEnabled(Cmd::EditUndo));
                EXPECT_TRUE(view->Modified());
                EXPECT_EQ(view->CurrentPath(), pathBefore);
                EXPECT_FALSE(view->Busy());
            }
            if (a.answer == PromptAnswer::Yes && a.commandGoesOn) {
                // The whole painting, both strokes, is in the file it went to.
                EXPECT_EQ(StoredCount(a.hasFile ? file : Path(a.dialog)), particles);
            }
            // A failed save says so, after the question.
            EXPECT_EQ(prompts->messages.size(), a.saveFails ? 2 : 1);
            ASSERT_TRUE(QDir(Path("kept")).removeRecursively());
        }
    }
}

// The message box itself: three buttons, and Esc or the close box mean キャンセル.
TEST_F(SavePrompt, TheQuestionOffersCancelAndEscapeMeansCancel) {
    QtShellPrompts shell(view.get());
    struct Case {
        const char* name;
        std::function<void(QMessageBox&)> act;
        PromptAnswer expected;
    };
    const auto click = [](const char* caption) {
        return [caption](QMessageBox& box) {
            for (QAbstractButton* b : box.buttons()) {
                if (b->text() == QString::fromUtf8(caption)) {
                    b->click();
                }
            }
        };
    };
    const Case cases[] = {
        {"Esc",
         [](QMessageBox& box) {
             QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QApplication::sendEvent(&box, &esc);
         },
         PromptAnswer::Cancel},
        {"close box", [](QMessageBox& box) { box.close(); }, PromptAnswer::Cancel},
        {"はい", click("はい(&Y)"), PromptAnswer::Yes},
        {"いいえ", click("いいえ(&N)"), PromptAnswer::No},
        {"キャンセル", click("キャンセル"), PromptAnswer::Cancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList captions;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                ADD_FAILURE() << "no question is shown";
                return;
            }
            for (QAbstractButton* b : box->buttons()) {
                captions << b->text();
            }
            c.act(*box);
            if (box->isVisible()) {
                box->done(-1); // the action did not end the question: fail below rather than hang
            }
        });
        const PromptAnswer answer = shell.AskSave(QStringLiteral("変更内容をMBファイルに保存しますか？"));
        EXPECT_EQ(answer, c.expected);
        captions.sort();
        QStringList expected{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)"),
                             QStringLiteral("キャンセル")};
        expected.sort();
        EXPECT_EQ(captions, expected);
    }
}

} // namespace
