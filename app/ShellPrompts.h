#pragma once
// The platform dialogs, message boxes, clipboard and shell that the view's commands use. The
// application uses the Qt implementation; tests replace it with one that answers from a script.

#include <QString>

#include "engine/ResultCode.h"
#include "persistence/RasterImage.h"

class PaintCanvas;
class QDialog;
class QWidget;

enum class PromptAnswer { Yes, No, Cancel };

class ShellPrompts {
public:
    virtual ~ShellPrompts() = default;

    // Message box captioned "ヌリモコ" with an OK button.
    virtual void ShowMessage(const QString& text) = 0;
    // The save question with はい, いいえ and キャンセル; Esc and the close box mean キャンセル.
    virtual PromptAnswer AskSave(const QString& text) = 0;
    // The offer of a recovery copy at start-up: はい (the default button) or いいえ.
    virtual PromptAnswer AskRestore(const QString& text) = 0;
    // An open dialog for an existing file; empty when cancelled.
    virtual QString OpenFileName(const QString& filter) = 0;
    // A save dialog that asks before overwriting; empty when cancelled. The default extension is added
    // when the chosen name has none.
    virtual QString SaveFileName(const QString& defaultName, const QString& defaultExtension,
                                 const QString& filter) = 0;
    // The new-image dialog; true on OK with the size it returned.
    virtual bool AskNewImageSize(std::int32_t& width, std::int32_t& height) = 0;
    virtual void ShowInformation(const PaintCanvas& canvas) = 0;
    virtual void ShowAbout() = 0;
    // The clipboard's picture; -31 when it holds none.
    virtual ResultCode ReadClipboardPicture(RasterImage& picture) = 0;
    // Puts a picture on the clipboard; false when that failed.
    virtual bool WriteClipboardPicture(const RasterImage& picture) = 0;
    // Opens a file or web address with the desktop's default program; false when nothing could open it.
    virtual bool OpenWithShell(const QString& fileOrUrl, bool isUrl) = 0;
};

// The extension of a file-dialog filter entry that names exactly one, as "png" of "PNGﾌｧｲﾙ (*.png)";
// empty for an entry such as "すべてのﾌｧｲﾙ (*.*)".
QString FilterSuffix(const QString& filter);

class QtShellPrompts : public ShellPrompts {
public:
    explicit QtShellPrompts(QWidget* owner) : owner_(owner) {}
    void ShowMessage(const QString& text) override;
    PromptAnswer AskSave(const QString& text) override;
    PromptAnswer AskRestore(const QString& text) override;
    QString OpenFileName(const QString& filter) override;
    QString SaveFileName(const QString& defaultName, const QString& defaultExtension,
                         const QString& filter) override;
    bool AskNewImageSize(std::int32_t& width, std::int32_t& height) override;
    void ShowInformation(const PaintCanvas& canvas) override;
    void ShowAbout() override;
    ResultCode ReadClipboardPicture(RasterImage& picture) override;
    bool WriteClipboardPicture(const RasterImage& picture) override;
    bool OpenWithShell(const QString& fileOrUrl, bool isUrl) override;

private:
    // Hides a finished dialog and repaints the window it covered before the caller's work goes on.
    void ClearAfterDialog(QDialog& dialog);
    QWidget* owner_;
};
