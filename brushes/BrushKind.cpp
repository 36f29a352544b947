#include "brushes/BrushKind.h"

namespace {

struct BrushKindTexts {
    const char* caption;
    const char* hint;
};

constexpr BrushKindTexts kBrushTexts[BrushKindCount] = {
    {"シンプル", "シンプル"},   {"虹色模様", "虹色模様"}, {"水彩", "水彩"},
    {"点描", "点描"},           {"マルチ", "マルチ"},     {"かすれ", "かすれ"},
    {"スプレイ", "スプレイ"},   {"もりもり", "もりもり"}, {"平行線", "平行線"},
    {"じゃばら", "じゃばら"},   {"放射状", "放射状"},     {"円", "円"},
    {"ざらざら", "ざらざら"},   {"消しゴム", "消しゴム"}, {"スポイト", "スポイト（画面から色取得）"},
    {"色塗り", "色の塗り替え"}, {"かき混ぜ", "かき混ぜ"}, {"", ""},
};

constexpr const char* kPathCaptions[PathKindCount] = {
    "フリーハンド", "直線", "折れ線", "曲線", "円周", "円弧", "正多角形",
};

} // namespace

BrushKind BrushKindFromInt(std::int32_t value) {
    if (value < 0 || value >= BrushKindCount) {
        return BrushKind::NoBrush;
    }
    return static_cast<BrushKind>(value);
}

PathKind PathKindFromInt(std::int32_t value) {
    if (value < 0 || value >= PathKindCount) {
        return PathKind::Freehand;
    }
    return static_cast<PathKind>(value);
}

const char* BrushKindCaption(BrushKind kind) {
    const auto i = static_cast<std::int32_t>(kind);
    return (i >= 0 && i < BrushKindCount) ? kBrushTexts[i].caption : "";
}

const char* BrushKindHint(BrushKind kind) {
    const auto i = static_cast<std::int32_t>(kind);
    return (i >= 0 && i < BrushKindCount) ? kBrushTexts[i].hint : "";
}

const char* PathKindCaption(PathKind kind) {
    const auto i = static_cast<std::int32_t>(kind);
    return (i >= 0 && i < PathKindCount) ? kPathCaptions[i] : "";
}
