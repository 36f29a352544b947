#include "app/CMainFrame.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>

#include "FakePrompts.h"
#include "QtTestApp.h"
#include "app/CommandIds.h"
#include "app/LockKeys.h"
#include "dialogs/CDlgBackground.h"
#include "persistence/UndoJournal.h"
#include "toolbox/CDlgToolBox.h"

namespace {

class MainFrame : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        ViewOptions options;
        options.undoFolder = dir.filePath(QStringLiteral("UNDO"));
        options.settingsPath = dir.filePath(QStringLiteral("nurimoko.ini"));
        options.createDialogs = false;
        frame = std::make_unique<CMainFrame>(options);
        auto fake = std::make_unique<FakePrompts>();
        prompts = fake.get();
        frame->View()->SetPrompts(std::move(fake));
        frame->resize(1000, 700);
        frame->InitialUpdateFrame();
        frame->show();
        QApplication::processEvents();
    }

    QTemporaryDir dir;
    std::unique_ptr<CMainFrame> frame;
    FakePrompts* prompts = nullptr;
};

TEST_F(MainFrame, MenusCarryTheCaptionsPromptsAndTips) {
    const QList<QAction*> popups = frame->menuBar()->actions();
    ASSERT_EQ(popups.size(), 4);
    EXPECT_EQ(popups[0]->text(), QStringLiteral("ファイル(&F)"));
    EXPECT_EQ(popups[3]->text(), QStringLiteral("ヘルプ(&H)"));
    const QList<QAction*> file = popups[0]->menu()->actions();
    ASSERT_EQ(file.size(), 13);
    EXPECT_EQ(file[0]->text(), QStringLiteral("新規作成(&N)...\tCtrl+N"));
    EXPECT_EQ(file[0]->statusTip(), QStringLiteral("新しいドキュメントを作成"));
    EXPECT_EQ(file[0]->toolTip(), QStringLiteral("新規作成"));
    EXPECT_TRUE(file[3]->isSeparator());
    EXPECT_EQ(file[12]->text(), QStringLiteral("アプリケーションの終了(&X)"));
    const QList<QAction*> view = popups[2]->menu()->actions();
    EXPECT_EQ(view[0]->text(), QStringLiteral("ツール バー(&T)"));
    EXPECT_TRUE(view[0]->isCheckable());
    EXPECT_TRUE(view[0]->isChecked());
    EXPECT_EQ(frame->Action(Cmd::ZoomIn)->statusTip(), QString());
    EXPECT_EQ(frame->Action(Cmd::Manual)->statusTip(), QStringLiteral("「ヌリモコ」の説明書を開きます。"));
    // The homepage entry is there only when the program knows an address to go to.
    EXPECT_EQ(frame->Action(Cmd::Homepage)->isVisible(), frame->View()->IsCommandEnabled(Cmd::Homepage));
}

TEST_F(MainFrame, AcceleratorsAreBound) {
    EXPECT_EQ(frame->Action(Cmd::FileNew)->shortcuts(),
              QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+N"))});
    const QList<QKeySequence> undo = frame->Action(Cmd::EditUndo)->shortcuts();
    ASSERT_EQ(undo.size(), 2);
    EXPECT_EQ(undo[0], QKeySequence(QStringLiteral("Ctrl+Z")));
    EXPECT_EQ(undo[1], QKeySequence(QStringLiteral("Alt+Backspace")));
    // Keys without program behaviour sit on disabled actions.
    ASSERT_NE(frame->Action(Cmd::EditPaste), nullptr);
    EXPECT_FALSE(frame->Action(Cmd::EditPaste)->isEnabled());
}

TEST_F(MainFrame, ToolBarHasEighteenSlotsWithDrawnIcons) {
    const QList<QAction*> buttons = frame->ToolBar()->actions();
    ASSERT_EQ(buttons.size(), 18);
    const std::vector<int> separators = {3, 6, 8, 13, 16};
    for (int i = 0; i < 18; ++i) {
        SCOPED_TRACE(i);
        const bool separator = std::find(separators.begin(), separators.end(), i) != separators.end();
        EXPECT_EQ(buttons[i]->isSeparator(), separator);
        if (!separator) {
            EXPECT_FALSE(buttons[i]->icon().isNull());
            EXPECT_FALSE(buttons[i]->toolTip().isEmpty());
        }
    }
    EXPECT_EQ(buttons[2], frame->Action(Cmd::FileSaveAs));
    EXPECT_EQ(frame->ToolBar()->iconSize(), QSize(32, 32));
    const QImage icon = buttons[0]->icon().pixmap(32, 32).toImage();
    EXPECT_EQ(icon.size(), QSize(32, 32));
}

TEST_F(MainFrame, StatusBarHasTheMessagePaneAndThreeIndicators) {
    EXPECT_EQ(frame->MessagePane()->text(), QStringLiteral("準備完了"));
    EXPECT_EQ(frame->LockIndicator(0)->text(), QStringLiteral("CAP"));
    EXPECT_EQ(frame->LockIndicator(1)->text(), QStringLiteral("NUM"));
    EXPECT_EQ(frame->LockIndicator(2)->text(), QStringLiteral("SCRL"));
    frame->View()->EndBusy();
    EXPECT_TRUE(frame->MessagePane()->text().startsWith(QStringLiteral("処理時間: ")));
    EXPECT_FALSE(frame->MessagePane()->text().endsWith(QLatin1Char('\n')));
    frame->ShowLockKeys(LockKeyState{true, false, true});
    EXPECT_TRUE(frame->LockIndicator(0)->isEnabled());
    EXPECT_FALSE(frame->LockIndicator(1)->isEnabled());
}

TEST_F(MainFrame, UndoAvailabilityFollowsTheJournal) {
    EXPECT_FALSE(frame->Action(Cmd::EditUndo)->isEnabled());
    EXPECT_FALSE(frame->Action(Cmd::EditRedo)->isEnabled());
    COvaneView* view = frame->View();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(50, 50), QPointF(50, 50), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(50, 50), QPointF(50, 50), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &release);
    EXPECT_TRUE(frame->Action(Cmd::EditUndo)->isEnabled());
    frame->Action(Cmd::EditUndo)->trigger();
    EXPECT_FALSE(frame->Action(Cmd::EditUndo)->isEnabled());
    EXPECT_TRUE(frame->Action(Cmd::EditRedo)->isEnabled());
}

TEST_F(MainFrame, BarsToggleWithTheirCheckMarks) {
    frame->Action(Cmd::ViewToolBar)->trigger();
    EXPECT_FALSE(frame->ToolBar()->isVisible());
    EXPECT_FALSE(frame->Action(Cmd::ViewToolBar)->isChecked());
    frame->Action(Cmd::ViewStatusBar)->trigger();
    EXPECT_FALSE(frame->statusBar()->isVisible());
    EXPECT_FALSE(frame->Action(Cmd::ViewStatusBar)->isChecked());
    frame->Action(Cmd::ViewToolBar)->trigger();
    EXPECT_TRUE(frame->ToolBar()->isVisible());
    EXPECT_TRUE(frame->Action(Cmd::ViewToolBar)->isChecked());
}

TEST_F(MainFrame, CaptionAfterStartUp) {
    QEventLoop loop;
    QTimer::singleShot(250, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("ヌリモコ"));
}

TEST_F(MainFrame, CloseAsksTheViewAndCancelKeepsTheFrameOpen) {
    frame->View()->SetModifiedFlag(true);
    prompts->saveAnswers = {PromptAnswer::Cancel};
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(frame->View()->Modified());
    prompts->saveAnswers = {PromptAnswer::No};
    frame->Action(Cmd::AppExit)->trigger();
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(prompts->saveQuestions, 2);
}

class MainFrameWithToolWindows : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        ViewOptions options;
        options.undoFolder = dir.filePath(QStringLiteral("UNDO"));
        options.settingsPath = dir.filePath(QStringLiteral("nurimoko.ini"));
        frame = std::make_unique<CMainFrame>(options);
        auto fake = std::make_unique<FakePrompts>();
        prompts = fake.get();
        frame->View()->SetPrompts(std::move(fake));
        frame->resize(1000, 700);
        frame->InitialUpdateFrame();
        frame->show();
        QApplication::processEvents();
    }
    void Key(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QWidget* target = window->focusWidget() ? window->focusWidget() : window;
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(target, &release);
    }

    QTemporaryDir dir;
    std::unique_ptr<CMainFrame> frame;
    FakePrompts* prompts = nullptr;
};

TEST_F(MainFrameWithToolWindows, TheMainWindowsKeysWorkWhileAToolWindowHasTheFocus) {
    COvaneView* view = frame->View();
    QWidget* toolWindows[] = {view->ToolBox(), view->CanvasDialog()};
    for (QWidget* window : toolWindows) {
        SCOPED_TRACE(window->windowTitle().toStdString());
        ASSERT_TRUE(window->isVisible());
        window->activateWindow();
        QApplication::processEvents();
        ASSERT_EQ(QApplication::activeWindow(), window);

        QMouseEvent press(QEvent::MouseButtonPress, QPointF(50, 50), QPointF(50, 50), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(50, 50), QPointF(50, 50), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &release);
        const std::size_t strokes = view->Journal()->Entries().size();
        ASSERT_GE(strokes, 2u);
        const int position = view->Journal()->Position();
        frame->UpdateCommandUI();

        Key(window, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(view->Journal()->Position(), position - 1);
        Key(window, Qt::Key_Y, Qt::ControlModifier);
        EXPECT_EQ(view->Journal()->Position(), position);
        Key(window, Qt::Key_Backspace, Qt::AltModifier);
        EXPECT_EQ(view->Journal()->Position(), position - 1);
        Key(window, Qt::Key_Y, Qt::ControlModifier);

        const std::size_t dialogs = prompts->saveDialogs.size();
        prompts->savePath.clear();
        Key(window, Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(prompts->saveDialogs.size(), dialogs + 1);
        const qsizetype opened = prompts->openFilters.size();
        Key(window, Qt::Key_O, Qt::ControlModifier);
        EXPECT_EQ(prompts->openFilters.size(), opened + 1);
        prompts->askedWidth = -1;
        view->SetModifiedFlag(false);
        Key(window, Qt::Key_N, Qt::ControlModifier);
        EXPECT_NE(prompts->askedWidth, -1);
    }
}

TEST(LockKeys, ReadFromTheKeyboardLights) {
    QTemporaryDir leds;
    ASSERT_TRUE(leds.isValid());
    auto light = [&](const char* name, const char* value) {
        QDir(leds.path()).mkpath(QString::fromLatin1(name));
        QFile f(leds.filePath(QString::fromLatin1(name) + QStringLiteral("/brightness")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(value);
    };
    light("input3::capslock", "1\n");
    light("input3::numlock", "0\n");
    light("input7::numlock", "0\n");
    EXPECT_EQ(ReadLockKeys(leds.path()), (LockKeyState{true, false, false}));
    light("input7::scrolllock", "1\n");
    EXPECT_EQ(ReadLockKeys(leds.path()), (LockKeyState{true, false, true}));
    EXPECT_EQ(ReadLockKeys(leds.filePath(QStringLiteral("none"))), LockKeyState{});
}

} // namespace
