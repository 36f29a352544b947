#include "dialogs/CDlgInformation.h"

#include <gtest/gtest.h>

#include <QLabel>

#include "QtTestApp.h"
#include "app/ProcessMemory.h"
#include "engine/PaintCanvas.h"

namespace {

TEST(InformationDialog, TextsOfSizeParticlesAndMemory) {
    EXPECT_EQ(CDlgInformation::SizeText(1280, 720), QStringLiteral("1280 x 720"));
    EXPECT_EQ(CDlgInformation::ParticleText(999), QStringLiteral("999"));
    EXPECT_EQ(CDlgInformation::ParticleText(1500), QStringLiteral("1,500"));
    EXPECT_EQ(CDlgInformation::MemoryText(5LL * 1048576 + 1048575), QStringLiteral("5  Mバイト"));
    EXPECT_EQ(CDlgInformation::MemoryText(1234LL * 1048576), QStringLiteral("1,234  Mバイト"));
    EXPECT_FALSE(CDlgInformation::MemoryText(std::nullopt).has_value());
}

TEST(InformationDialog, PrivateBytesComeFromAnonymousAndSwappedMemory) {
    const QString status = QStringLiteral("Name:\tnurimoko\nVmRSS:\t  90000 kB\nRssAnon:\t   51200 kB\n"
                                          "RssFile:\t 30000 kB\nVmSwap:\t    1024 kB\n");
    EXPECT_EQ(PrivateBytesFromStatus(status), std::optional<long long>(52224LL * 1024));
    EXPECT_FALSE(PrivateBytesFromStatus(QStringLiteral("Name:\tx\n")).has_value());
    EXPECT_TRUE(ProcessPrivateBytes().has_value());
}

TEST(InformationDialog, ShowsTheCanvasAndCountsErasedParticles) {
    TestApp();
    PaintCanvas canvas;
    canvas.width = 640;
    canvas.height = 480;
    canvas.store = std::make_unique<MetaballStore>();
    canvas.store->records.resize(1500);
    for (int i = 0; i < 500; ++i) {
        canvas.store->records[i].state = 255; // erased records still count
    }
    CDlgInformation dialog(&canvas);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("情報"));
    auto* size = dialog.findChild<QLabel*>(QStringLiteral("1041"));
    auto* count = dialog.findChild<QLabel*>(QStringLiteral("1042"));
    auto* memory = dialog.findChild<QLabel*>(QStringLiteral("1043"));
    ASSERT_TRUE(size && count && memory);
    EXPECT_EQ(size->text(), QStringLiteral("0 x 0"));
    dialog.grab(); // paints, which fills the fields
    EXPECT_EQ(size->text(), QStringLiteral("640 x 480"));
    EXPECT_EQ(count->text(), QStringLiteral("1,500"));
    EXPECT_TRUE(memory->text().endsWith(QStringLiteral("  Mバイト"))) << memory->text().toStdString();
}

} // namespace
