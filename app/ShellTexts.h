#pragma once
// The shell's fixed texts and the small text rules of the view and the document commands.

#include <QString>
#include <cstdint>
#include <ctime>

#include "engine/ResultCode.h"

namespace ShellText {
inline constexpr const char* SavePrompt = "変更内容をMBファイルに保存しますか？";
inline constexpr const char* NewCanvasStatus = "新規作成中...";
inline constexpr const char* RedrawStatus = "描画中...";
inline constexpr const char* UndoStatus = "UNDO処理中...";
inline constexpr const char* RedoStatus = "REDO処理中...";
inline constexpr const char* UndoFailed = "UNDOできない!!!";
inline constexpr const char* RedoFailed = "REDOできない!!!";
inline constexpr const char* JournalError = "UNDOエラー!!!";
inline constexpr const char* ClipboardCopyFailed = "画像をクリップボードにコピーできません。";
inline constexpr const char* BackgroundChanging = "背景画像を変更中...";
inline constexpr const char* BackgroundChanged = "背景画像を変更";
inline constexpr const char* ManualFileName = "「ヌリモコ」説明書.pdf";
inline constexpr const char* RecoveryOffer = "前回正しく終了しなかったときの絵が残っています。復元しますか？";
inline constexpr const char* RecoveredStatus = "前回の絵を復元しました。";
inline constexpr const char* RecoveredFromStatus = "前回の絵を復元しました。元のファイル: %1";
inline constexpr const char* RecoveryWriteFailed = "復元用の控えを書き込めませんでした。";
// The maker's homepage, given when the program is built (NURIMOKO_HOMEPAGE_URL); without one the menu has
// no ホームページ... entry rather than one that leads nowhere.
#ifdef NURIMOKO_HOMEPAGE_URL
inline constexpr const char* HomepageUrl = NURIMOKO_HOMEPAGE_URL;
#else
inline constexpr const char* HomepageUrl = "";
#endif

inline constexpr const char* PaintOpenFilter = "MBファイル (*.mb)|*.mb|すべてのﾌｧｲﾙ (*.*)|*.*||";
inline constexpr const char* PaintSaveFilter = "MBファイル (*.mb)|*.mb|すべてのファイル (*.*)|*.*||";
// BMP stays first, so it is the type the dialogs start with; PNG is offered beside it.
inline constexpr const char* PictureFilter =
    "Bitmapﾌｧｲﾙ (*.bmp)|*.bmp|PNGﾌｧｲﾙ (*.png)|*.png|すべてのﾌｧｲﾙ (*.*)|*.*||";
inline constexpr const char* PaintExtension = "mb";
inline constexpr const char* PictureExtension = "bmp";
} // namespace ShellText

// "text ●●●〇〇〇〇〇〇〇": one filled symbol at 0 %, ten from 90 %.
QString ProgressText(const QString& text, int percent);
// The status text of a progress message from the canvas (1 processing, 2 reading, 3 writing).
QString ProgressKindText(int kind);
// "処理時間: %f 秒\n" with max(0, elapsed) milliseconds as seconds.
QString BusyTimeText(std::int64_t elapsedMilliseconds);
// The local time as "%Y%m%d-%H%M%S"; empty if it cannot be formatted.
QString DefaultFileName(std::time_t now);
QString ReadingStatus(const QString& path);
QString WritingStatus(const QString& path);
// The message shown when a paint file cannot be opened.
QString OpenErrorText(ResultCode code);
// "A (*.a)|*.a|B|*.b||" as a file dialog filter "A (*.a);;B (*.b)".
QString QtFileFilter(const char* filter);
// "%s/%s" of the executable's folder and the manual's file name.
QString ManualPath(const QString& executablePath);
// The message when the manual cannot be opened, naming the file.
QString ManualNotOpenedText(const QString& path);
// 1234567 as "1,234,567".
QString GroupThousands(long long value);
