#include "brushes/BrushKind.h"

#include <gtest/gtest.h>

#include <string>

TEST(BrushKind, CaptionsAndHints) {
    struct Case {
        BrushKind kind;
        const char* caption;
        const char* hint;
    };
    const Case cases[] = {
        {BrushKind::Simple, "シンプル", "シンプル"},
        {BrushKind::RainbowPattern, "虹色模様", "虹色模様"},
        {BrushKind::Watercolour, "水彩", "水彩"},
        {BrushKind::Stipple, "点描", "点描"},
        {BrushKind::Multi, "マルチ", "マルチ"},
        {BrushKind::Faded, "かすれ", "かすれ"},
        {BrushKind::Spray, "スプレイ", "スプレイ"},
        {BrushKind::Heaped, "もりもり", "もりもり"},
        {BrushKind::ParallelLines, "平行線", "平行線"},
        {BrushKind::Bellows, "じゃばら", "じゃばら"},
        {BrushKind::Radial, "放射状", "放射状"},
        {BrushKind::Circle, "円", "円"},
        {BrushKind::Rough, "ざらざら", "ざらざら"},
        {BrushKind::Eraser, "消しゴム", "消しゴム"},
        {BrushKind::Eyedropper, "スポイト", "スポイト（画面から色取得）"},
        {BrushKind::Recolour, "色塗り", "色の塗り替え"},
        {BrushKind::Stir, "かき混ぜ", "かき混ぜ"},
        {BrushKind::NoBrush, "", ""},
    };
    ASSERT_EQ(std::size(cases), static_cast<std::size_t>(BrushKindCount));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(static_cast<std::int32_t>(c.kind), static_cast<std::int32_t>(i));
        EXPECT_EQ(std::string(BrushKindCaption(c.kind)), c.caption);
        EXPECT_EQ(std::string(BrushKindHint(c.kind)), c.hint);
    }
}

TEST(BrushKind, PathCaptions) {
    const char* expected[] = {"フリーハンド", "直線", "折れ線", "曲線", "円周", "円弧", "正多角形"};
    ASSERT_EQ(std::size(expected), static_cast<std::size_t>(PathKindCount));
    for (std::int32_t i = 0; i < PathKindCount; ++i) {
        EXPECT_EQ(std::string(PathKindCaption(static_cast<PathKind>(i))), expected[i]);
    }
    EXPECT_EQ(PathKind::RegularPolygon, static_cast<PathKind>(6));
}

TEST(BrushKind, ValuesOutOfRangeAreSafe) {
    EXPECT_EQ(BrushKindFromInt(-1), BrushKind::NoBrush);
    EXPECT_EQ(BrushKindFromInt(18), BrushKind::NoBrush);
    EXPECT_EQ(BrushKindFromInt(12), BrushKind::Rough);
    EXPECT_EQ(PathKindFromInt(7), PathKind::Freehand);
    EXPECT_EQ(PathKindFromInt(5), PathKind::Arc);
    EXPECT_STREQ(BrushKindCaption(static_cast<BrushKind>(99)), "");
    EXPECT_STREQ(PathKindCaption(static_cast<PathKind>(-3)), "");
}
