// A canvas view whose undo folder (and its fallback) cannot be written: the user is told at start-up,
// painting still works, a failed stroke recording is reported with the code's message, and undo stays
// unavailable instead of undoing something else.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <memory>

#include "FakePrompts.h"
#include "QtTestApp.h"
#include "app/COvaneView.h"
#include "app/CommandIds.h"
#include "app/ShellTexts.h"
#include "engine/ResultCode.h"
#include "persistence/UndoJournal.h"

namespace {

class FaultUndoFolderView : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(dir.isValid());
        // A plain file where the folders' parent should be: neither folder can ever be created.
        QFile blocker(dir.filePath(QStringLiteral("blocker")));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        ViewOptions options;
        options.undoFolder = dir.filePath(QStringLiteral("blocker/UNDO"));
        options.undoFallbackFolder = dir.filePath(QStringLiteral("blocker/fallback/UNDO"));
        options.settingsPath = dir.filePath(QStringLiteral("nurimoko.ini"));
        options.createDialogs = false;
        view = std::make_unique<COvaneView>(nullptr, options);
        auto fake = std::make_unique<FakePrompts>();
        prompts = fake.get();
        view->SetPrompts(std::move(fake));
        view->resize(640, 480);
        view->show();
        view->InitialUpdate();
        QApplication::processEvents();
    }
    void TearDown() override {
        view.reset();
        QApplication::processEvents();
    }

    void Mouse(QEvent::Type type, QPoint p, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(p), view->viewport()->mapToGlobal(QPointF(p)), Qt::LeftButton, held,
                          Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &event);
    }
    void Drag(QPoint from, QPoint to) {
        Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
        for (int i = 1; i <= 8; ++i) {
            QMouseEvent move(QEvent::MouseMove, QPointF(from + (to - from) * i / 8),
                             view->viewport()->mapToGlobal(QPointF(from + (to - from) * i / 8)), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(view->viewport(), &move);
        }
        Mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
    }

    QTemporaryDir dir;
    std::unique_ptr<COvaneView> view;
    FakePrompts* prompts = nullptr;
};

TEST_F(FaultUndoFolderView, TheUserIsToldAtStartAndPaintingGoesOn) {
    ASSERT_EQ(prompts->messages.count(QString::fromUtf8(ShellText::JournalError)), 1)
        << "the failed first history entry is reported once";
    ASSERT_NE(view->Journal(), nullptr);
    EXPECT_EQ(view->Journal()->Position(), -1);

    const int before = prompts->messages.size();
    Drag(QPoint(100, 100), QPoint(200, 120));
    EXPECT_GT(view->Canvas().store->Count(), 0) << "the stroke is on the canvas";
    EXPECT_TRUE(view->Modified());
    EXPECT_GT(prompts->messages.size(), before) << "the stroke's failed recording is reported";
    EXPECT_FALSE(view->IsCommandEnabled(Cmd::EditUndo));
    EXPECT_FALSE(view->IsCommandEnabled(Cmd::EditRedo));

    // A second stroke paints as well; nothing is recorded and nothing can be undone.
    const std::int32_t count = view->Canvas().store->Count();
    Drag(QPoint(100, 200), QPoint(200, 220));
    EXPECT_GT(view->Canvas().store->Count(), count);
    EXPECT_EQ(view->Journal()->Position(), -1);
    EXPECT_FALSE(view->IsCommandEnabled(Cmd::EditUndo));
}

} // namespace
