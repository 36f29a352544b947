#include "app/CommandTable.h"

#include "app/CommandIds.h"

const std::vector<MenuPopupSpec>& MainMenuSpec() {
    static const std::vector<MenuPopupSpec> menu = {
        {"ファイル(&F)",
         {
             {Cmd::FileNew, "新規作成(&N)...\tCtrl+N", "新しいドキュメントを作成", "新規作成"},
             {Cmd::FileNewFromImage, "画像ファイルから新規作成...", nullptr, nullptr},
             {Cmd::FileNewFromClipboard, "クリップボード画像から新規作成", nullptr, nullptr},
             {},
             {Cmd::FileOpen, "開く(&O)...\tCtrl+O", "既存のドキュメントを開く", "開く"},
             {},
             {Cmd::FileSave, "上書き保存(&S)\tCtrl+S", "作業中のドキュメントを上書きして保存", "保存"},
             {Cmd::FileSaveAs, "名前を付けて保存(&A)...", "作業中のドキュメントを新しい名前で保存",
              "名前をつけて保存"},
             {},
             {Cmd::SavePicture, "画像を保存...", nullptr, nullptr},
             {Cmd::CopyPicture, "画像をクリップボードにコピー", nullptr, nullptr},
             {},
             {Cmd::AppExit, "アプリケーションの終了(&X)",
              "アプリケーションを終了し、ドキュメントの保存を指示", "終了"},
         }},
        {"編集(&E)",
         {
             {Cmd::EditUndo, "戻る (UNDO)\tCtrl+Z", "直前に行った動作を元に戻す", "元に戻す"},
             {Cmd::EditRedo, "進む (REDO)\tCtrl+Y", "取り消した操作をやり直す", "やり直す"},
         }},
        {"表示(&V)",
         {
             {Cmd::ViewToolBar, "ツール バー(&T)", "ツール バーの 表示/非表示", "ツール バーの表示切り替え"},
             {Cmd::ViewStatusBar, "ステータス バー(&S)", "ステータス バーの表示/非表示",
              "ステータス バーの表示切り替え"},
             {},
             {Cmd::ShowToolBox, "「操作画面：道具箱」を表示...", "「操作画面：道具箱」を表示",
              "操作画面：道具箱"},
             {Cmd::ShowCanvasDialog, "「操作画面：キャンバス」を表示...", "「操作画面：キャンバス」を表示",
              "操作画面：キャンバス"},
             {},
             {Cmd::Redraw, "再描画", "再描画", "再描画"},
             {},
             {Cmd::ZoomActual, "原寸表示", "", "原寸表示"},
             {Cmd::ZoomIn, "拡大表示", "", "拡大表示"},
             {Cmd::ZoomOut, "縮小表示", "", "縮小表示"},
             {Cmd::ZoomFit, "ウインドウに合わせる", "", "ウインドウに合わせる"},
         }},
        {"ヘルプ(&H)",
         {
             {Cmd::Information, "情報...", "画像情報の表示", "画像情報の表示"},
             {Cmd::Manual, "説明書...", "「ヌリモコ」の説明書を開きます。", nullptr},
             {Cmd::Homepage, "ホームページ...", "ホームページに飛びます。", nullptr},
             {},
             {Cmd::About, "ヌリモコについて(&A)...", "プログラム情報、バージョン、著作権を表示します。",
              "バージョン情報"},
         }},
    };
    return menu;
}

const std::vector<AcceleratorSpec>& AcceleratorSpecs() {
    static const std::vector<AcceleratorSpec> keys = {
        {"Ctrl+N", Cmd::FileNew},         {"Ctrl+O", Cmd::FileOpen},
        {"Ctrl+S", Cmd::FileSave},        {"Ctrl+Z", Cmd::EditUndo},
        {"Alt+Backspace", Cmd::EditUndo}, {"Ctrl+Y", Cmd::EditRedo},
        {"Ctrl+C", Cmd::EditCopy},        {"Ctrl+Insert", Cmd::EditCopy},
        {"Ctrl+X", Cmd::EditCut},         {"Shift+Delete", Cmd::EditCut},
        {"Ctrl+V", Cmd::EditPaste},       {"Shift+Insert", Cmd::EditPaste},
        {"Ctrl+P", Cmd::FilePrint},       {"F6", Cmd::NextPane},
        {"Shift+F6", Cmd::PrevPane},
    };
    return keys;
}

const std::vector<int>& ToolBarSlots() {
    static const std::vector<int> buttons = {Cmd::FileNew,
                                             Cmd::FileOpen,
                                             Cmd::FileSaveAs,
                                             0,
                                             Cmd::ShowToolBox,
                                             Cmd::ShowCanvasDialog,
                                             0,
                                             Cmd::Redraw,
                                             0,
                                             Cmd::ZoomActual,
                                             Cmd::ZoomIn,
                                             Cmd::ZoomOut,
                                             Cmd::ZoomFit,
                                             0,
                                             Cmd::EditUndo,
                                             Cmd::EditRedo,
                                             0,
                                             Cmd::Information};
    return buttons;
}

const MenuItemSpec* FindMenuItem(int id) {
    if (id == 0) {
        return nullptr;
    }
    for (const auto& popup : MainMenuSpec()) {
        for (const auto& item : popup.items) {
            if (item.id == id) {
                return &item;
            }
        }
    }
    return nullptr;
}

bool CommandHasBehaviour(int id) {
    return FindMenuItem(id) != nullptr;
}
