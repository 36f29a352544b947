#include "app/CommandTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/CommandIds.h"

namespace {

struct MenuCase {
    int id;
    const char* caption;
    const char* prompt;
    const char* tip;
};

TEST(CommandTable, MenuItemsCarryTheirCaptionsPromptsAndTips) {
    const MenuCase cases[] = {
        {57600, "新規作成(&N)...\tCtrl+N", "新しいドキュメントを作成", "新規作成"},
        {32789, "画像ファイルから新規作成...", nullptr, nullptr},
        {57601, "開く(&O)...\tCtrl+O", "既存のドキュメントを開く", "開く"},
        {57604, "名前を付けて保存(&A)...", "作業中のドキュメントを新しい名前で保存", "名前をつけて保存"},
        {57665, "アプリケーションの終了(&X)", "アプリケーションを終了し、ドキュメントの保存を指示", "終了"},
        {57643, "戻る (UNDO)\tCtrl+Z", "直前に行った動作を元に戻す", "元に戻す"},
        {59392, "ツール バー(&T)", "ツール バーの 表示/非表示", "ツール バーの表示切り替え"},
        {32783, "「操作画面：キャンバス」を表示...", "「操作画面：キャンバス」を表示",
         "操作画面：キャンバス"},
        {32807, "原寸表示", "", "原寸表示"},
        {32808, "ウインドウに合わせる", "", "ウインドウに合わせる"},
        {32813, "説明書...", "「ヌリモコ」の説明書を開きます。", nullptr},
        {57664, "ヌリモコについて(&A)...", "プログラム情報、バージョン、著作権を表示します。",
         "バージョン情報"},
    };
    for (const MenuCase& c : cases) {
        SCOPED_TRACE(c.id);
        const MenuItemSpec* item = FindMenuItem(c.id);
        ASSERT_NE(item, nullptr);
        EXPECT_STREQ(item->caption, c.caption);
        if (c.prompt == nullptr) {
            EXPECT_EQ(item->statusPrompt, nullptr);
        } else {
            ASSERT_NE(item->statusPrompt, nullptr);
            EXPECT_STREQ(item->statusPrompt, c.prompt);
        }
        if (c.tip == nullptr) {
            EXPECT_EQ(item->toolTip, nullptr);
        } else {
            ASSERT_NE(item->toolTip, nullptr);
            EXPECT_STREQ(item->toolTip, c.tip);
        }
    }
}

TEST(CommandTable, PopupsHoldTheirItemsInOrderWithSeparators) {
    const auto& menu = MainMenuSpec();
    ASSERT_EQ(menu.size(), 4u);
    EXPECT_STREQ(menu[0].caption, "ファイル(&F)");
    EXPECT_STREQ(menu[1].caption, "編集(&E)");
    EXPECT_STREQ(menu[2].caption, "表示(&V)");
    EXPECT_STREQ(menu[3].caption, "ヘルプ(&H)");
    const std::vector<std::vector<int>> ids = {
        {57600, 32789, 32791, 0, 57601, 0, 57603, 57604, 0, 32785, 32787, 0, 57665},
        {57643, 57644},
        {59392, 59393, 0, 32779, 32783, 0, 32775, 0, 32807, 32801, 32803, 32808},
        {32797, 32813, 32811, 0, 57664},
    };
    for (std::size_t p = 0; p < ids.size(); ++p) {
        SCOPED_TRACE(p);
        ASSERT_EQ(menu[p].items.size(), ids[p].size());
        for (std::size_t i = 0; i < ids[p].size(); ++i) {
            EXPECT_EQ(menu[p].items[i].id, ids[p][i]) << i;
        }
    }
}

TEST(CommandTable, ToolBarHasEighteenSlotsWithSaveAsThird) {
    const std::vector<int> expected = {57600, 57601, 57604, 0,     32779, 32783, 0,     32775, 0,
                                       32807, 32801, 32803, 32808, 0,     57643, 57644, 0,     32797};
    EXPECT_EQ(ToolBarSlots(), expected);
    for (int id : ToolBarSlots()) {
        if (id != 0) {
            EXPECT_NE(FindMenuItem(id), nullptr) << id;
        }
    }
}

TEST(CommandTable, AcceleratorsBindTheDocumentCommands) {
    std::multiset<std::pair<std::string, int>> keys;
    for (const auto& a : AcceleratorSpecs()) {
        keys.insert({a.keys, a.id});
    }
    EXPECT_EQ(keys.count({"Ctrl+N", Cmd::FileNew}), 1u);
    EXPECT_EQ(keys.count({"Ctrl+O", Cmd::FileOpen}), 1u);
    EXPECT_EQ(keys.count({"Ctrl+S", Cmd::FileSave}), 1u);
    EXPECT_EQ(keys.count({"Ctrl+Z", Cmd::EditUndo}), 1u);
    EXPECT_EQ(keys.count({"Alt+Backspace", Cmd::EditUndo}), 1u);
    EXPECT_EQ(keys.count({"Ctrl+Y", Cmd::EditRedo}), 1u);
    // Bound keys without program behaviour.
    EXPECT_EQ(keys.count({"Ctrl+C", Cmd::EditCopy}), 1u);
    EXPECT_FALSE(CommandHasBehaviour(Cmd::EditCopy));
    EXPECT_FALSE(CommandHasBehaviour(Cmd::FilePrint));
    EXPECT_TRUE(CommandHasBehaviour(Cmd::FileSave));
    // Every key appears once.
    std::set<std::string> unique;
    for (const auto& a : AcceleratorSpecs()) {
        EXPECT_TRUE(unique.insert(a.keys).second) << a.keys;
    }
}

} // namespace
