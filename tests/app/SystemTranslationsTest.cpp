#include "app/SystemTranslations.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QTranslator>
#include <memory>

#include "QtTestApp.h"

namespace {

QStringList Texts(const QWidget& dialog) {
    QStringList texts;
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        if (button->isVisible() && !button->text().isEmpty()) {
            texts << button->text();
        }
    }
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->isVisible() && !label->text().isEmpty()) {
            texts << label->text();
        }
    }
    return texts;
}

bool HasText(const QStringList& texts, const char* utf8) {
    return texts.contains(QString::fromUtf8(utf8));
}

class SystemDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        // A session in another language must not matter.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override {
        if (translator != nullptr) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
        QLocale::setDefault(QLocale::system());
    }

    QTranslator* translator = nullptr;
};

TEST_F(SystemDialogs, FileAndColourDialogsSpeakJapanese) {
    translator = InstallJapaneseTranslations(*QCoreApplication::instance());
    ASSERT_NE(translator, nullptr) << "install qt6-translations-l10n";
    EXPECT_EQ(QLocale().language(), QLocale::Japanese) << "dates and sizes in the dialogs too";

    struct Case {
        const char* name;
        std::unique_ptr<QDialog> dialog;
        std::vector<const char*> japanese;
        std::vector<const char*> english;
    };
    auto open = std::make_unique<QFileDialog>();
    open->setOption(QFileDialog::DontUseNativeDialog);
    open->setAcceptMode(QFileDialog::AcceptOpen);
    auto save = std::make_unique<QFileDialog>();
    save->setOption(QFileDialog::DontUseNativeDialog);
    save->setAcceptMode(QFileDialog::AcceptSave);
    auto colour = std::make_unique<QColorDialog>();
    colour->setOption(QColorDialog::DontUseNativeDialog);
    std::vector<Case> cases;
    cases.push_back({"open",
                     std::move(open),
                     {"開く(&O)", "キャンセル", "ファイル名(&N):"},
                     {"&Open", "Cancel", "File &name:"}});
    cases.push_back({"save", std::move(save), {"保存(&S)", "キャンセル"}, {"&Save", "Cancel"}});
    cases.push_back(
        {"colour", std::move(colour), {"OK", "キャンセル", "基本カラー(&B)"}, {"Cancel", "&Basic colors"}});
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.dialog->show();
        QApplication::processEvents();
        const QStringList texts = Texts(*c.dialog);
        for (const char* text : c.japanese) {
            EXPECT_TRUE(HasText(texts, text))
                << text << " in " << texts.join(QStringLiteral(" | ")).toStdString();
        }
        for (const char* text : c.english) {
            EXPECT_FALSE(HasText(texts, text)) << text;
        }
        c.dialog->hide();
    }
}

} // namespace
