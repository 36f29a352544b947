#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ResultCode.h"

namespace {

class RecordingSink : public MessageSink {
public:
    std::vector<std::string> shown;
    void ShowMessage(const std::string& text) override { shown.push_back(text); }
};

TEST(ResultCode, EveryListedCodeShowsItsMessage) {
    const struct {
        ResultCode code;
        const char* message;
    } table[] = {
        {-1, "ﾒﾓﾘｰ不足です。"},
        {-11, "ﾌｧｲﾙを開けませんでした。"},
        {-12, "ﾌｧｲﾙからﾃﾞｰﾀを読み込めませんでした。"},
        {-13, "ﾌｧｲﾙにﾃﾞｰﾀを書き込めませんでした。"},
        {-14, "未対応のﾃﾞｰﾀ形式です。"},
        {-15, "ﾊﾞｰｼﾞｮﾝの異なるﾌｧｲﾙです。"},
        {-21, "最小値未満です。"},
        {-22, "最大値を超えています。"},
        {-24, "配列の範囲外にｱｸｾｽしました。"},
        {-25, "不適当なﾊﾟﾗﾒｰﾀｰです。"},
        {-26, "同じサイズではありません。"},
        {-31, "ﾃﾞｰﾀがありません。"},
        {-999, "何らかのｴﾗｰが起りました。"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.code);
        RecordingSink sink;
        ShowResultMessage(&sink, row.code);
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_EQ(sink.shown[0], row.message);
        EXPECT_STREQ(ResultMessage(row.code), row.message);
    }
}

TEST(ResultCode, SuccessAndUnlistedCodesShowNothing) {
    for (ResultCode code : {0, -2, -16, -23, 5}) {
        SCOPED_TRACE(code);
        RecordingSink sink;
        ShowResultMessage(&sink, code);
        EXPECT_TRUE(sink.shown.empty());
        EXPECT_EQ(ResultMessage(code), nullptr);
    }
}

} // namespace
