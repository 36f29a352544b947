#include "engine/ResultCode.h"

#include <cstring>

const char* ResultMessage(ResultCode code) {
    switch (code) {
    case Result::OutOfMemory:
        return "ﾒﾓﾘｰ不足です。";
    case Result::FileOpenFailed:
        return "ﾌｧｲﾙを開けませんでした。";
    case Result::FileReadFailed:
        return "ﾌｧｲﾙからﾃﾞｰﾀを読み込めませんでした。";
    case Result::FileWriteFailed:
        return "ﾌｧｲﾙにﾃﾞｰﾀを書き込めませんでした。";
    case Result::UnsupportedFormat:
        return "未対応のﾃﾞｰﾀ形式です。";
    case Result::VersionMismatch:
        return "ﾊﾞｰｼﾞｮﾝの異なるﾌｧｲﾙです。";
    case Result::BelowMinimum:
        return "最小値未満です。";
    case Result::AboveMaximum:
        return "最大値を超えています。";
    case Result::IndexOutOfRange:
        return "配列の範囲外にｱｸｾｽしました。";
    case Result::BadParameter:
        return "不適当なﾊﾟﾗﾒｰﾀｰです。";
    case Result::SizeMismatch:
        return "同じサイズではありません。";
    case Result::NoData:
        return "ﾃﾞｰﾀがありません。";
    case Result::GeneralError:
        return "何らかのｴﾗｰが起りました。";
    default:
        return nullptr;
    }
}

void ShowResultMessage(MessageSink* owner, ResultCode code) {
    if (owner == nullptr || code == Result::Success) {
        return;
    }
    const char* text = ResultMessage(code);
    if (text == nullptr) {
        return;
    }
    owner->ShowMessage(text);
}
