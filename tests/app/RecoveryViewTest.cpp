// Recovery copies as the view writes, deletes and offers them; the clock is the test's.

#include <QDialog>
#include <QDir>
#include <QFile>
#include <chrono>
#include <deque>
#include <filesystem>

#include "ViewFixture.h"
#include "app/ShellTexts.h"
#include "persistence/RecoveryStore.h"
#include "persistence/UndoJournal.h"

namespace {

class RecoveryView : public ViewFixture {
protected:
    void AdjustOptions(ViewOptions& options) override {
        options.recoverySeconds = 120;
        options.recoveryClock = [this] { return clock; };
    }

    QString Folder() const { return dir.filePath(QStringLiteral("recovery")); }
    QStringList Files(const QString& pattern) const {
        return QDir(Folder()).entryList({pattern}, QDir::Files, QDir::Name);
    }
    // The view's own copy once its write has finished, or empty.
    QString OwnCopy() {
        view->Recovery()->FinishWrite();
        const QString path = QString::fromStdString(view->Recovery()->OwnCopyPath());
        return QFile::exists(path) ? path : QString();
    }
    void TickAt(qint64 millis) {
        clock = millis;
        view->OnRecoveryTimer();
    }
    // Metaballs in a paint document, read back through the loader.
    static std::int32_t MetaballsIn(const QString& path) {
        PaintCanvas canvas;
        if (canvas.LoadPaintFile(QFile::encodeName(path).toStdString()) != Result::Success) {
            return -1;
        }
        return canvas.store->Count();
    }
    // A copy left by a program that did not end properly: a painting of `dabs` metaballs, written at
    // `age` seconds before now.
    QString LeaveCopy(std::int64_t pid, int dabs, const std::string& origin, int ageSeconds) {
        PaintCanvas canvas;
        EXPECT_EQ(canvas.Create(200, 150), Result::Success);
        std::vector<Metaball> list;
        for (int i = 0; i < dabs; ++i) {
            Metaball m;
            PaintCanvas::MetaballFromTemplate(m, 20.0f + 15.0f * i, 40.0f + 7.0f * i, 0.0f, MaterialBlock{});
            m.red = 0.1f * static_cast<float>(i % 10);
            list.push_back(m);
        }
        UpdateRect changed;
        EXPECT_EQ(canvas.AddMetaballs(list, changed), Result::Success);
        std::vector<std::uint8_t> bytes;
        EXPECT_EQ(canvas.EncodePaintFile(bytes), Result::Success);
        RecoveryStore store(QFile::encodeName(Folder()).toStdString(), pid, 10 * pid);
        EXPECT_TRUE(store.BeginWrite(bytes, origin));
        EXPECT_EQ(store.FinishWrite(), Result::Success);
        const std::string path = store.OwnCopyPath();
        std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() -
                                                   std::chrono::seconds(ageSeconds));
        return QString::fromStdString(path);
    }
    void Paint() { Drag(QPoint(100, 100), QPoint(220, 130)); }

    qint64 clock = 0;
};

// ---- When a copy is written ----

enum class Before { Nothing, Stroke, StrokeUnderWay, PathUnderWay, Saved };

struct TriggerCase {
    const char* name;
    Before before;
    qint64 tickAt;
    bool copied;
};

class RecoveryTrigger : public RecoveryView, public ::testing::WithParamInterface<TriggerCase> {
protected:
    void Prepare(Before before) {
        if (before == Before::Nothing) {
            return;
        }
        Paint();
        switch (before) {
        case Before::StrokeUnderWay:
            Mouse(QEvent::MouseButtonPress, Qt::LeftButton, QPoint(300, 300));
            Move(QPoint(320, 310), true);
            break;
        case Before::PathUnderWay:
            view->Controller()->SetPathKind(PathKind::Polyline);
            Mouse(QEvent::MouseButtonPress, Qt::LeftButton, QPoint(300, 300));
            Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(300, 300));
            break;
        case Before::Saved:
            prompts->savePath = dir.filePath(QStringLiteral("saved.mb"));
            view->SaveAsCommand();
            break;
        default:
            break;
        }
    }
};

TEST_P(RecoveryTrigger, CopyOnlyOfUnsavedChangesAtIdleMomentsAfterTheInterval) {
    Prepare(GetParam().before);
    const std::int32_t painted = view->Canvas().store->Count();
    TickAt(GetParam().tickAt);
    const QString copy = OwnCopy();
    EXPECT_EQ(!copy.isEmpty(), GetParam().copied);
    if (!copy.isEmpty()) {
        EXPECT_GT(painted, 0);
        EXPECT_EQ(MetaballsIn(copy), painted);
        EXPECT_GE(view->LastRecoveryCopyMillis(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecoveryTrigger,
    ::testing::Values(TriggerCase{"stroke_after_interval", Before::Stroke, 120000, true},
                      TriggerCase{"stroke_before_interval", Before::Stroke, 119999, false},
                      TriggerCase{"nothing_painted", Before::Nothing, 500000, false},
                      TriggerCase{"stroke_under_way", Before::StrokeUnderWay, 500000, false},
                      TriggerCase{"path_under_way", Before::PathUnderWay, 500000, false},
                      TriggerCase{"saved_painting", Before::Saved, 500000, false}),
    [](const ::testing::TestParamInfo<TriggerCase>& info) { return std::string(info.param.name); });

TEST_F(RecoveryView, NoCopyWhileADialogIsOpen) {
    Paint();
    QDialog dialog(view.get());
    dialog.setModal(true);
    dialog.show();
    TickAt(500000);
    EXPECT_TRUE(OwnCopy().isEmpty());
    dialog.hide();
    TickAt(500001);
    EXPECT_FALSE(OwnCopy().isEmpty());
}

TEST_F(RecoveryView, LaterChangesAreCopiedAtMostOncePerInterval) {
    Paint();
    TickAt(120000);
    const QString copy = OwnCopy();
    ASSERT_FALSE(copy.isEmpty());
    const std::int32_t first = MetaballsIn(copy);
    Drag(QPoint(100, 300), QPoint(300, 320));
    const std::int32_t second = view->Canvas().store->Count();
    ASSERT_GT(second, first);
    TickAt(239999);
    EXPECT_EQ(MetaballsIn(OwnCopy()), first);
    TickAt(240000);
    EXPECT_EQ(MetaballsIn(OwnCopy()), second);
    // An undo changes the painting too.
    view->UndoCommand();
    TickAt(360000);
    EXPECT_EQ(MetaballsIn(OwnCopy()), first);
}

// ---- When the copy goes ----

enum class Action {
    Save,
    FailedSave,
    NewCanvas,
    NewCancelled,
    Open,
    OpenCancelled,
    Close,
    CloseRefused,
    Destroyed
};

struct CleanUpCase {
    const char* name;
    Action action;
    bool copyKept;
};

class RecoveryCleanUp : public RecoveryView, public ::testing::WithParamInterface<CleanUpCase> {
protected:
    void Run(Action action) {
        switch (action) {
        case Action::Save:
            prompts->savePath = dir.filePath(QStringLiteral("saved.mb"));
            view->SaveAsCommand();
            break;
        case Action::FailedSave:
            prompts->savePath = dir.filePath(QStringLiteral("no-such-folder/saved.mb"));
            view->SaveAsCommand();
            break;
        case Action::NewCanvas:
            prompts->newImageOk = true;
            prompts->newWidth = 320;
            prompts->newHeight = 200;
            view->NewCanvasCommand();
            break;
        case Action::NewCancelled:
            view->NewCanvasCommand();
            break;
        case Action::Open: {
            PaintCanvas other;
            ASSERT_EQ(other.Create(100, 80), Result::Success);
            const QString path = dir.filePath(QStringLiteral("other.mb"));
            ASSERT_EQ(other.SavePaintFile(QFile::encodeName(path).toStdString()), Result::Success);
            view->OpenCommand(path);
            break;
        }
        case Action::OpenCancelled:
            view->OpenCommand();
            break;
        case Action::Close:
            EXPECT_EQ(view->OnCloseQuery(), 0);
            break;
        case Action::CloseRefused:
            prompts->saveAnswers = {PromptAnswer::Cancel};
            EXPECT_EQ(view->OnCloseQuery(), 1);
            break;
        case Action::Destroyed:
            // Ending without the close query (the session ends) keeps the unsaved painting.
            view.reset();
            break;
        }
    }
};

TEST_P(RecoveryCleanUp, CopyGoesWhenTheChangesAreSavedOrGivenUp) {
    Paint();
    TickAt(120000);
    const QString copy = OwnCopy();
    ASSERT_FALSE(copy.isEmpty());
    Run(GetParam().action);
    if (view) {
        view->Recovery()->FinishWrite();
    }
    EXPECT_EQ(QFile::exists(copy), GetParam().copyKept);
    if (!GetParam().copyKept) {
        EXPECT_TRUE(Files(QStringLiteral("*")).isEmpty())
            << Files(QStringLiteral("*")).join(' ').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RecoveryCleanUp,
                         ::testing::Values(CleanUpCase{"save", Action::Save, false},
                                           CleanUpCase{"failed_save", Action::FailedSave, true},
                                           CleanUpCase{"new_canvas", Action::NewCanvas, false},
                                           CleanUpCase{"new_cancelled", Action::NewCancelled, true},
                                           CleanUpCase{"open", Action::Open, false},
                                           CleanUpCase{"open_cancelled", Action::OpenCancelled, true},
                                           CleanUpCase{"close", Action::Close, false},
                                           CleanUpCase{"close_refused", Action::CloseRefused, true},
                                           CleanUpCase{"destroyed_unsaved", Action::Destroyed, true}),
                         [](const ::testing::TestParamInfo<CleanUpCase>& info) {
                             return std::string(info.param.name);
                         });

// ---- The offer at start-up ----

TEST_F(RecoveryView, AcceptedCopyIsRestoredUntitledAndModifiedNamingItsFile) {
    const QString left = LeaveCopy(11, 12, "/home/painter/港.mb", 5);
    PaintCanvas expected;
    ASSERT_EQ(expected.LoadPaintFile(QFile::encodeName(left).toStdString()), Result::Success);
    // Drawn as it was while being painted: strokes render with anti-aliasing.
    expected.antiAliasing = 1;
    UpdateRect all = UpdateRect::Make(0, 0, expected.width - 1, expected.height - 1);
    expected.BeginOperation();
    ASSERT_EQ(expected.Render(all), Result::Success);
    expected.EndOperation();

    view->OfferRecoveryCopies();
    EXPECT_EQ(prompts->restoreQuestions, QStringList{QString::fromUtf8(ShellText::RecoveryOffer)});
    EXPECT_EQ(view->Canvas().width, 200);
    EXPECT_EQ(view->Canvas().store->Count(), 12);
    EXPECT_EQ(view->Canvas().renderedImage.data, expected.renderedImage.data);
    EXPECT_TRUE(view->Modified());
    EXPECT_TRUE(view->CurrentPath().isEmpty());
    EXPECT_EQ(view->RecoveredFrom(), QStringLiteral("/home/painter/港.mb"));
    EXPECT_TRUE(view->StatusText().contains(QStringLiteral("/home/painter/港.mb")));
    EXPECT_FALSE(view->Journal()->CanUndo());
    // The copy is now this program's own, so it is not offered again while this program runs.
    EXPECT_FALSE(QFile::exists(left));
    EXPECT_EQ(MetaballsIn(OwnCopy()), 12);
    RecoveryStore another(QFile::encodeName(Folder()).toStdString(), 99, 99);
    EXPECT_TRUE(another.ClaimLeftCopies().empty());

    // Saving asks for a name.
    prompts->savePath = dir.filePath(QStringLiteral("named.mb"));
    view->SaveCommand();
    EXPECT_EQ(prompts->saveDialogs.size(), 1u);
    EXPECT_EQ(view->CurrentPath(), prompts->savePath);
    EXPECT_TRUE(Files(QStringLiteral("*")).isEmpty());
}

TEST_F(RecoveryView, DeclinedCopyIsDeletedAndTheCanvasStaysNew) {
    LeaveCopy(11, 5, "", 5);
    prompts->restoreAnswers = {PromptAnswer::No};
    view->OfferRecoveryCopies();
    EXPECT_EQ(prompts->restoreQuestions.size(), 1);
    EXPECT_EQ(view->Canvas().width, 1280);
    EXPECT_EQ(view->Canvas().store->Count(), 0);
    EXPECT_FALSE(view->Modified());
    EXPECT_TRUE(Files(QStringLiteral("*")).isEmpty());
}

TEST_F(RecoveryView, WithTwoCopiesTheNewestIsOfferedFirst) {
    struct Case {
        const char* name;
        std::deque<PromptAnswer> answers;
        int questions;
        std::int32_t restored; // metaballs of the painting restored, 0 for none
        int leftAfter;         // copies still waiting for the next start
    };
    const Case cases[] = {
        {"yes_to_the_newest", {PromptAnswer::Yes}, 1, 7, 1},
        {"no_then_yes", {PromptAnswer::No, PromptAnswer::Yes}, 2, 3, 0},
        {"no_to_both", {PromptAnswer::No, PromptAnswer::No}, 2, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        QDir(Folder()).removeRecursively();
        SetUp();
        LeaveCopy(21, 3, "", 300);
        LeaveCopy(22, 7, "", 30);
        prompts->restoreAnswers = c.answers;
        view->OfferRecoveryCopies();
        EXPECT_EQ(prompts->restoreQuestions.size(), c.questions);
        EXPECT_EQ(view->Canvas().store->Count(), c.restored);
        EXPECT_EQ(view->Modified(), c.restored > 0);
        RecoveryStore next(QFile::encodeName(Folder()).toStdString(), 98, 98);
        EXPECT_EQ(static_cast<int>(next.ClaimLeftCopies().size()), c.leftAfter);
    }
}

TEST_F(RecoveryView, DamagedCopyGetsTheOpenMessageIsKeptAsideAndTheNextIsOffered) {
    LeaveCopy(31, 4, "", 300);
    const QString damaged = LeaveCopy(32, 4, "", 30);
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("this is not a painting");
    file.close();

    view->OfferRecoveryCopies();
    EXPECT_EQ(prompts->restoreQuestions.size(), 2);
    EXPECT_TRUE(prompts->messages.contains(OpenErrorText(Result::UnsupportedFormat)));
    EXPECT_EQ(view->Canvas().store->Count(), 4);
    EXPECT_TRUE(view->Modified());
    const QStringList aside = Files(QStringLiteral("damaged-*.mb"));
    ASSERT_EQ(aside.size(), 1);
    QFile kept(QDir(Folder()).filePath(aside[0]));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("this is not a painting"));
}

TEST_F(RecoveryView, CopyOfAViewThatEndedUnsavedIsOfferedToTheNext) {
    Paint();
    const std::int32_t painted = view->Canvas().store->Count();
    TickAt(120000);
    ASSERT_FALSE(OwnCopy().isEmpty());
    view.reset();
    TearDown();
    // The next start, in the same folders.
    SetUp();
    view->OfferRecoveryCopies();
    EXPECT_EQ(prompts->restoreQuestions.size(), 1);
    EXPECT_EQ(view->Canvas().store->Count(), painted);
}

} // namespace
