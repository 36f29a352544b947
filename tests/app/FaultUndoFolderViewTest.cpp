// A canvas view whose undo folder (and its fallback) cannot be written: the user is told at start-up,
// painting still works, a failed stroke recording is reported with the code's message, and undo stays
// unavailable instead of undoing something else.

#include <gtest/gtest.h>

#include <QFile>

#include "ViewFixture.h"
#include "app/COvaneView.h"
#include "app/CommandIds.h"
#include "app/ShellTexts.h"
#include "engine/ResultCode.h"
#include "persistence/UndoJournal.h"

namespace {

class FaultUndoFolderView : public ViewFixture {
protected:
    // A plain file where the folders' parent should be: neither folder can ever be created.
    void AdjustOptions(ViewOptions& options) override {
        QFile blocker(dir.filePath(QStringLiteral("blocker")));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        options.undoFolder = dir.filePath(QStringLiteral("blocker/UNDO"));
        options.undoFallbackFolder = dir.filePath(QStringLiteral("blocker/fallback/UNDO"));
    }
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
