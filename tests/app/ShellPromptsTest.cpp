#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPaintEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include "QtTestApp.h"
#include "app/ShellPrompts.h"

namespace {

class PaintCounter : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

TEST(ShellPromptsOpenFileName, TheDialogLeavesAndTheWindowIsRepaintedBeforeTheNameComesBack) {
    TestApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("painting.mb"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    PaintCounter owner;
    owner.resize(320, 240);
    owner.show();
    QApplication::processEvents();
    QtShellPrompts prompts(&owner);

    // Chooses the file as a user would, and notes how often the window was painted when the dialog closed.
    int paintsAtClose = -1;
    bool dialogSeen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        dialogSeen = true;
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();
        paintsAtClose = owner.paints;
    });
    const QString chosen = prompts.OpenFileName(QStringLiteral("*.mb"));

    ASSERT_TRUE(dialogSeen);
    EXPECT_EQ(QFileInfo(chosen).fileName(), QStringLiteral("painting.mb"));
    // The caller reads the file next without returning to the event loop: by then the dialog must be
    // off the screen and what it covered painted again.
    EXPECT_GT(owner.paints, paintsAtClose);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(qobject_cast<QFileDialog*>(widget) != nullptr && widget->isVisible());
    }
}

} // namespace
