#include "app/ShellTexts.h"

#include <QStringList>

#include "app/ShellPrompts.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(ShellTexts, ProgressBarHasTenSymbols) {
    struct Case {
        int percent;
        const char* expected;
    };
    const Case cases[] = {
        {0, "描画中... ●〇〇〇〇〇〇〇〇〇"}, {9, "描画中... ●〇〇〇〇〇〇〇〇〇"},
        {10, "描画中... ●●〇〇〇〇〇〇〇〇"}, {55, "描画中... ●●●●●●〇〇〇〇"},
        {89, "描画中... ●●●●●●●●●〇"},        {90, "描画中... ●●●●●●●●●●"},
        {95, "描画中... ●●●●●●●●●●"},         {100, "描画中... ●●●●●●●●●●"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.percent);
        EXPECT_EQ(ProgressText(QStringLiteral("描画中..."), c.percent), QString::fromUtf8(c.expected));
    }
}

TEST(ShellTexts, ProgressKindsAndBusyTime) {
    EXPECT_EQ(ProgressKindText(1), QStringLiteral("処理中..."));
    EXPECT_EQ(ProgressKindText(2), QStringLiteral("読み込み中..."));
    EXPECT_EQ(ProgressKindText(3), QStringLiteral("書き込み中..."));
    EXPECT_EQ(ProgressKindText(7), QString());
    EXPECT_EQ(BusyTimeText(1234), QStringLiteral("処理時間: 1.234000 秒\n"));
    EXPECT_EQ(BusyTimeText(-5), QStringLiteral("処理時間: 0.000000 秒\n"));
}

TEST(ShellTexts, DefaultFileNameIsTheLocalTime) {
    setenv("TZ", "UTC", 1);
    tzset();
    // 2025-01-02 03:04:05 UTC
    EXPECT_EQ(DefaultFileName(1735787045), QStringLiteral("20250102-030405"));
}

TEST(ShellTexts, StatusAndErrorTexts) {
    EXPECT_EQ(ReadingStatus(QStringLiteral("/a/b.mb")), QStringLiteral("ファイル[/a/b.mb]から読み込み中..."));
    EXPECT_EQ(WritingStatus(QStringLiteral("/a/b.mb")), QStringLiteral("ファイル[/a/b.mb]に書き込み中..."));
    EXPECT_EQ(OpenErrorText(-14), QStringLiteral("【ヌリモコ】のファイルではありません。"));
    EXPECT_EQ(OpenErrorText(-15), QStringLiteral("【ヌリモコ】ファイルのバージョンが異なります。"));
    EXPECT_EQ(OpenErrorText(-12), QStringLiteral("【ヌリモコ】ファイルを読めませんでした。"));
    EXPECT_EQ(OpenErrorText(-11), QStringLiteral("【ヌリモコ】ファイルを読めませんでした。"));
}

TEST(ShellTexts, FiltersBecomeFileDialogFilters) {
    EXPECT_EQ(QtFileFilter(ShellText::PaintOpenFilter),
              QStringLiteral("MBファイル (*.mb);;すべてのﾌｧｲﾙ (*.*)"));
    EXPECT_EQ(QtFileFilter(ShellText::PaintSaveFilter),
              QStringLiteral("MBファイル (*.mb);;すべてのファイル (*.*)"));
    EXPECT_EQ(QtFileFilter(ShellText::PictureFilter),
              QStringLiteral("Bitmapﾌｧｲﾙ (*.bmp);;PNGﾌｧｲﾙ (*.png);;すべてのﾌｧｲﾙ (*.*)"));
}

TEST(ShellTexts, AChosenFileTypeGivesTheExtensionOfNamesTypedWithoutOne) {
    const QStringList entries = QtFileFilter(ShellText::PictureFilter).split(QStringLiteral(";;"));
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(FilterSuffix(entries[0]), QStringLiteral("bmp"));
    EXPECT_EQ(FilterSuffix(entries[1]), QStringLiteral("png"));
    EXPECT_EQ(FilterSuffix(entries[2]), QString()) << "all files keep the default extension";
    EXPECT_EQ(FilterSuffix(QStringLiteral("MBファイル (*.mb)")), QStringLiteral("mb"));
}

TEST(ShellTexts, ManualBesideTheExecutable) {
    EXPECT_EQ(ManualPath(QStringLiteral("/opt/nurimoko/bin/nurimoko")),
              QStringLiteral("/opt/nurimoko/bin/「ヌリモコ」説明書.pdf"));
    EXPECT_EQ(ManualPath(QStringLiteral("C:\\Tools\\paint.exe")),
              QStringLiteral("C:\\Tools/「ヌリモコ」説明書.pdf"));
}

TEST(ShellTexts, ThousandsAreGroupedWithCommas) {
    EXPECT_EQ(GroupThousands(0), QStringLiteral("0"));
    EXPECT_EQ(GroupThousands(999), QStringLiteral("999"));
    EXPECT_EQ(GroupThousands(1000), QStringLiteral("1,000"));
    EXPECT_EQ(GroupThousands(1500), QStringLiteral("1,500"));
    EXPECT_EQ(GroupThousands(1234567), QStringLiteral("1,234,567"));
    EXPECT_EQ(GroupThousands(-1234), QStringLiteral("-1,234"));
}

} // namespace
