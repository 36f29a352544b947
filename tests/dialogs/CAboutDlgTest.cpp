#include "dialogs/CAboutDlg.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>

#include "QtTestApp.h"

namespace {

TEST(AboutDialog, ShowsNameVersionAndAFittedPicture) {
    TestApp();
    CAboutDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("「ヌリモコ 」について"));
    bool versionFound = false;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        versionFound = versionFound || label->text() == QStringLiteral("ヌリモコ　バージョン 1.1");
    }
    EXPECT_TRUE(versionFound);
    auto* picture = dialog.findChild<QWidget*>(QStringLiteral("1085"));
    ASSERT_NE(picture, nullptr);
    picture->resize(346, 116); // twice as wide as tall: the 692 × 116 picture fills the width
    const QImage shot = picture->grab().toImage();
    // Letterbox rows above and below stay as the background; the middle row is the picture.
    const int drawnHeight = 346 * 116 / 692;
    const int top = (116 - drawnHeight) / 2;
    EXPECT_NE(shot.pixel(173, 58), shot.pixel(173, 0));
    EXPECT_GT(top, 0);
}

} // namespace
