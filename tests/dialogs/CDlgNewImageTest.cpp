#include "dialogs/CDlgNewImage.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include "QtTestApp.h"

namespace {

class NewImageDialog : public ::testing::Test {
protected:
    void SetUp() override {
        dialog.width = 1280;
        dialog.height = 720;
        dialog.show();
        widthEdit = dialog.findChild<QLineEdit*>(QStringLiteral("1039"));
        heightEdit = dialog.findChild<QLineEdit*>(QStringLiteral("1040"));
        ASSERT_NE(widthEdit, nullptr);
        ASSERT_NE(heightEdit, nullptr);
    }
    QPushButton* Button(const char* id) { return dialog.findChild<QPushButton*>(QString::fromLatin1(id)); }

    QApplication& app = TestApp(); // before the dialog member
    CDlgNewImage dialog;
    QLineEdit* widthEdit = nullptr;
    QLineEdit* heightEdit = nullptr;
};

TEST_F(NewImageDialog, StartsWithTheCurrentSize) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("新規作成"));
    EXPECT_EQ(widthEdit->text(), QStringLiteral("1280"));
    EXPECT_EQ(heightEdit->text(), QStringLiteral("720"));
}

TEST_F(NewImageDialog, SizeButtonsFillBothFieldsAndOkReturnsThem) {
    const struct {
        const char* id;
        const char* caption;
        int width;
        int height;
    } cases[] = {
        {"1024", "640 x 480", 640, 480},     {"1025", "720 x 480", 720, 480},
        {"1026", "1024 x 768", 1024, 768},   {"1027", "1280 x 720", 1280, 720},
        {"1028", "1366 x 768", 1366, 768},   {"1029", "1600 x 900", 1600, 900},
        {"1030", "1600 x 1200", 1600, 1200}, {"1031", "1920 x 1080", 1920, 1080},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        QPushButton* button = Button(c.id);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QString::fromUtf8(c.caption));
        button->click();
        EXPECT_EQ(widthEdit->text(), QString::number(c.width));
        EXPECT_EQ(heightEdit->text(), QString::number(c.height));
    }
    Button("1026")->click();
    Button("1")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.width, 1024);
    EXPECT_EQ(dialog.height, 768);
}

TEST_F(NewImageDialog, CancelIsRejectedAndTheCallerIgnoresTheNumbers) {
    widthEdit->setText(QStringLiteral("300"));
    Button("2")->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.width, 300); // read back on close, as the dialog always does
}

TEST_F(NewImageDialog, WidthAcceptsDigitsOnlyAndTextReadsAsZero) {
    const QValidator* v = widthEdit->validator();
    ASSERT_NE(v, nullptr);
    QString text = QStringLiteral("12a");
    int pos = 0;
    EXPECT_EQ(v->validate(text, pos), QValidator::Invalid);
    text = QStringLiteral("-5");
    EXPECT_EQ(v->validate(text, pos), QValidator::Invalid);
    EXPECT_EQ(heightEdit->validator(), nullptr);

    heightEdit->setText(QStringLiteral("abc"));
    Button("1")->click();
    EXPECT_EQ(dialog.height, 0);
    EXPECT_EQ(CDlgNewImage::ReadInt(QStringLiteral("-40")), -40);
    EXPECT_EQ(CDlgNewImage::ReadInt(QStringLiteral("")), 0);
}

} // namespace
