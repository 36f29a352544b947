// The document commands of the view: new, open, save, pictures, undo and redo, the dialog toggles and
// the help commands.

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <ctime>

#include "app/COvaneView.h"
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/SettingsFile.h"
#include "app/ShellTexts.h"
#include "app/ToolWindows.h"
#include "dialogs/CDlgBackground.h"
#include "persistence/PictureFile.h"
#include "persistence/UndoJournal.h"
#include "toolbox/CDlgToolBox.h"

namespace {
// The core takes file names as UTF-8 on every system.
std::string Utf8Path(const QString& path) {
    return path.toUtf8().toStdString();
}
} // namespace

void COvaneView::OnCommand(int id) {
    if (!IsCommandEnabled(id)) {
        return;
    }
    switch (id) {
    case Cmd::FileNew:
        NewCanvasCommand();
        break;
    case Cmd::FileNewFromImage:
        NewFromImageFileCommand();
        break;
    case Cmd::FileNewFromClipboard:
        NewFromClipboardCommand();
        break;
    case Cmd::FileOpen:
        OpenCommand();
        break;
    case Cmd::FileSave:
        SaveCommand();
        break;
    case Cmd::FileSaveAs:
        SaveAsCommand();
        break;
    case Cmd::SavePicture:
        SavePictureCommand();
        break;
    case Cmd::CopyPicture:
        CopyPictureCommand();
        break;
    case Cmd::EditUndo:
        UndoCommand();
        break;
    case Cmd::EditRedo:
        RedoCommand();
        break;
    case Cmd::ShowToolBox:
        ToggleToolBox();
        break;
    case Cmd::ShowCanvasDialog:
        ToggleCanvasDialog();
        break;
    case Cmd::Redraw:
        RedrawAll();
        break;
    case Cmd::ZoomActual:
        ZoomActual();
        break;
    case Cmd::ZoomIn:
        ZoomIn();
        break;
    case Cmd::ZoomOut:
        ZoomOut();
        break;
    case Cmd::ZoomFit:
        ZoomFit();
        break;
    case Cmd::Information:
        prompts_->ShowInformation(canvas_);
        break;
    case Cmd::Manual:
        OpenManual();
        break;
    case Cmd::Homepage:
        OpenHomepage();
        break;
    case Cmd::About:
        prompts_->ShowAbout();
        break;
    default:
        break;
    }
    emit commandStateChanged();
}

bool COvaneView::IsCommandEnabled(int id) const {
    switch (id) {
    case Cmd::EditUndo:
        return journal_ != nullptr && journal_->CanUndo();
    case Cmd::EditRedo:
        return journal_ != nullptr && journal_->CanRedo();
    case Cmd::ShowToolBox:
        return toolBox_ != nullptr;
    case Cmd::ShowCanvasDialog:
        return canvasDialog_ != nullptr;
    case Cmd::Homepage:
        return !options_.homepageUrl.isEmpty();
    default:
        return true;
    }
}

bool COvaneView::IsCommandChecked(int id) const {
    switch (id) {
    case Cmd::ShowToolBox:
        return toolBox_ != nullptr && ToolWindow::IsShown(toolBox_);
    case Cmd::ShowCanvasDialog:
        return canvasDialog_ != nullptr && ToolWindow::IsShown(canvasDialog_);
    default:
        return false;
    }
}

int COvaneView::OnCloseQuery() {
    if (!MaybeSave()) {
        return 1;
    }
    // Dialogs that never got their places would store the corner of the screen over the real ones.
    if (dialogsPlaced_ && (toolBox_ != nullptr || canvasDialog_ != nullptr)) {
        SettingsFile::Write(SettingsPath(), toolBox_, canvasDialog_,
                            toolBox_ ? &toolBox_->Palette() : nullptr,
                            toolBox_ ? std::optional<bool>(toolBox_->PenPressureEnabled()) : std::nullopt);
    }
    currentPath_.clear();
    DestroyDialogs();
    RecoveryCopyNoLongerNeeded();
    return 0;
}

bool COvaneView::MaybeSave() {
    if (!modified_) {
        return true;
    }
    switch (prompts_->AskSave(QString::fromUtf8(ShellText::SavePrompt))) {
    case PromptAnswer::Yes:
        return SaveFlow(currentPath_);
    case PromptAnswer::No:
        return true;
    case PromptAnswer::Cancel:
        break;
    }
    return false;
}

// ---- New canvases ----

ResultCode COvaneView::CreateCanvas(std::int32_t width, std::int32_t height) {
    const ResultCode created = canvas_.Create(width, height);
    canvas_.progressTarget = this;
    if (created != Result::Success) {
        return created;
    }
    RecreateDisplayImage(width, height);
    if (screenImage_.isNull()) {
        return Result::OutOfMemory;
    }
    modified_ = 0;
    currentPath_.clear();
    geometry_.ResetToCanvas(width, height);
    UpdateScrollSizes();
    ScrollToOrigin();
    geometry_.displayRect.x = 0.0f;
    geometry_.displayRect.y = 0.0f;
    return Result::Success;
}

ResultCode COvaneView::CreateCanvasFromImage(const RasterImage& image) {
    const ResultCode created = canvas_.Create(image.width, image.height);
    canvas_.progressTarget = this;
    if (created != Result::Success) {
        return created;
    }
    canvas_.backgroundImage.CopyOverlap(image);
    RecreateDisplayImage(image.width, image.height);
    if (screenImage_.isNull()) {
        return Result::OutOfMemory;
    }
    modified_ = 0;
    currentPath_.clear();
    geometry_.ResetToCanvas(image.width, image.height);
    UpdateScrollSizes();
    ScrollToOrigin();
    geometry_.displayRect.x = 0.0f;
    geometry_.displayRect.y = 0.0f;
    return Result::Success;
}

void COvaneView::FinishNewCanvas() {
    // The new painting has no file yet; the caption no longer names the old one.
    SetCaption(QString::fromUtf8(AppTitle));
    ClearView();
    CopyBackgroundToDialog();
    const UpdateRect whole = UpdateRect::Make(0, 0, canvas_.width - 1, canvas_.height - 1);
    canvas_.Compose(whole);
    BlitRect(whole);
    WipeCursor();
    RecoveryCopyNoLongerNeeded();
    if (journal_ && journal_->Reset() != Result::Success) {
        prompts_->ShowMessage(QString::fromUtf8(ShellText::JournalError));
    }
}

void COvaneView::NewCanvasCommand() {
    if (!MaybeSave()) {
        return;
    }
    std::int32_t width = canvas_.width;
    std::int32_t height = canvas_.height;
    if (!prompts_->AskNewImageSize(width, height)) {
        return;
    }
    BeginBusy(ShellText::NewCanvasStatus);
    ResultCode rc = CheckNewCanvasSize(width, height);
    if (rc == Result::Success) {
        rc = CreateCanvas(width, height);
    }
    if (rc != Result::Success) {
        ShowResultMessage(this, rc);
    } else {
        FinishNewCanvas();
    }
    EndBusy();
}

void COvaneView::NewFromPicture(RasterImage& picture) {
    if (picture.ExpandPalette() != Result::Success) {
        ShowResultMessage(this, Result::OutOfMemory);
        return;
    }
    BeginBusy(ShellText::NewCanvasStatus);
    ResultCode rc = CheckNewCanvasSize(picture.width, picture.height);
    if (rc == Result::Success) {
        rc = CreateCanvasFromImage(picture);
    }
    if (rc != Result::Success) {
        ShowResultMessage(this, rc);
    } else {
        FinishNewCanvas();
    }
    EndBusy();
}

void COvaneView::NewFromImageFileCommand() {
    if (!MaybeSave()) {
        return;
    }
    const QString path = prompts_->OpenFileName(QtFileFilter(ShellText::PictureFilter));
    if (path.isEmpty()) {
        return;
    }
    NewFromImageFile(path);
}

void COvaneView::NewFromImageFile(const QString& path) {
    RasterImage picture;
    const ResultCode rc = LoadPictureFile(picture, Utf8Path(path));
    if (rc != Result::Success) {
        ShowResultMessage(this, rc);
        return;
    }
    NewFromPicture(picture);
}

void COvaneView::NewFromClipboardCommand() {
    if (!MaybeSave()) {
        return;
    }
    RasterImage picture;
    ResultCode rc = prompts_->ReadClipboardPicture(picture);
    // A clipboard that gave no pixels cannot make a canvas.
    if (rc == Result::Success && (picture.IsEmpty() || picture.width < 1 || picture.height < 1)) {
        rc = Result::NoData;
    }
    if (rc != Result::Success) {
        ShowResultMessage(this, rc);
        return;
    }
    NewFromPicture(picture);
}

// ---- Open and save ----

void COvaneView::OpenCommand(const QString& givenPath) {
    if (!MaybeSave()) {
        return;
    }
    QString path = givenPath;
    if (path.isEmpty()) {
        path = prompts_->OpenFileName(QtFileFilter(ShellText::PaintOpenFilter));
    }
    // A cancelled dialog opens nothing: the painting and its history stay as they are.
    if (path.isEmpty()) {
        return;
    }
    // A load that fails before it re-creates the canvas leaves the painting as it was, and its history
    // with it: the strokes just made can still be undone.
    bool keepHistory = false;
    if (LoadPaintDocument(path, &keepHistory)) {
        currentPath_ = path;
        SetCaption(path);
        RecoveryCopyNoLongerNeeded();
    }
    if (!keepHistory && journal_ && journal_->Reset() != Result::Success) {
        prompts_->ShowMessage(QString::fromUtf8(ShellText::JournalError));
    }
    CopyBackgroundToDialog();
    viewport()->update();
}

bool COvaneView::LoadPaintDocument(const QString& path, bool* paintingKept) {
    BeginBusy(ReadingStatus(path).toUtf8().constData());
    const std::int32_t area = canvas_.drawingArea;
    canvas_.drawingArea = DrawingAreaBoth;
    const std::uint64_t creations = canvas_.createCount;
    const ResultCode rc = canvas_.LoadPaintFile(Utf8Path(path));
    canvas_.drawingArea = area;
    if (rc != Result::Success) {
        const bool kept = canvas_.createCount == creations;
        if (paintingKept != nullptr) {
            *paintingKept = kept;
        }
        prompts_->ShowMessage(OpenErrorText(rc));
        if (!kept) {
            // The painting of the current file is gone: saving must not write this one over it.
            currentPath_.clear();
            SetCaption(QString::fromUtf8(AppTitle));
        }
        // A load that failed after re-creating the canvas leaves it at another size; the display
        // follows it so that nothing is drawn from or to the wrong size.
        if (canvas_.width != displayImage_.width || canvas_.height != displayImage_.height) {
            geometry_.ResetToCanvas(canvas_.width, canvas_.height);
            UpdateScrollSizes();
            ScrollToOrigin();
            geometry_.ZeroOrigins();
            RecreateDisplayImage(canvas_.width, canvas_.height);
        }
        displayStale_ = true;
        EndBusy();
        return false;
    }
    geometry_.ResetToCanvas(canvas_.width, canvas_.height);
    UpdateScrollSizes();
    ScrollToOrigin();
    geometry_.ZeroOrigins();
    RecreateDisplayImage(canvas_.width, canvas_.height);
    RedrawAll();
    modified_ = 0;
    EndBusy();
    return true;
}

void COvaneView::SaveCommand() {
    SaveFlow(currentPath_);
}

void COvaneView::SaveAsCommand() {
    SaveFlow(QString());
}

bool COvaneView::SaveFlow(const QString& givenPath) {
    QString path = givenPath;
    if (path.isEmpty()) {
        path = prompts_->SaveFileName(DefaultFileName(std::time(nullptr)),
                                      QString::fromUtf8(ShellText::PaintExtension),
                                      QtFileFilter(ShellText::PaintSaveFilter));
        if (path.isEmpty()) {
            return false;
        }
    }
    BeginBusy(WritingStatus(path).toUtf8().constData());
    const ResultCode rc = canvas_.SavePaintFile(Utf8Path(path));
    if (rc != Result::Success) {
        ShowResultMessage(this, rc);
        EndBusy();
        return false;
    }
    EndBusy();
    modified_ = 0;
    currentPath_ = path;
    SetCaption(path);
    RecoveryCopyNoLongerNeeded();
    return true;
}

// ---- Pictures ----

void COvaneView::SavePictureCommand() {
    const QString path = prompts_->SaveFileName(DefaultFileName(std::time(nullptr)),
                                                QString::fromUtf8(ShellText::PictureExtension),
                                                QtFileFilter(ShellText::PictureFilter));
    if (path.isEmpty()) {
        return;
    }
    SavePictureFile(canvas_.renderedImage, Utf8Path(path));
}

void COvaneView::CopyPictureCommand() {
    if (!prompts_->WriteClipboardPicture(canvas_.renderedImage)) {
        prompts_->ShowMessage(QString::fromUtf8(ShellText::ClipboardCopyFailed));
    }
}

// ---- Undo and redo ----

void COvaneView::UndoCommand() {
    StepJournal(&UndoJournal::Undo, ShellText::UndoStatus, ShellText::UndoFailed);
}

void COvaneView::RedoCommand() {
    StepJournal(&UndoJournal::Redo, ShellText::RedoStatus, ShellText::RedoFailed);
}

void COvaneView::StepJournal(int (UndoJournal::*step)(UpdateRect&), const char* busyText,
                             const char* failedText) {
    if (!journal_) {
        return;
    }
    BeginBusy(busyText);
    const std::int32_t area = canvas_.drawingArea;
    canvas_.drawingArea = DrawingAreaBoth;
    UpdateRect rect = UpdateRect::PendingEmpty();
    const int result = ((*journal_).*step)(rect);
    if (result < 0) {
        prompts_->ShowMessage(QString::fromUtf8(failedText));
    } else {
        ++paintingChanges_;
        BlitRect(rect);
        if (result == UndoBackground) {
            CopyBackgroundToDialog();
        }
    }
    canvas_.drawingArea = area;
    EndBusy();
}

// ---- Dialogs and help ----

void COvaneView::ToggleToolBox() {
    if (toolBox_ != nullptr) {
        ToolWindow::Toggle(toolBox_);
    }
}

void COvaneView::ToggleCanvasDialog() {
    if (canvasDialog_ != nullptr && ToolWindow::Toggle(canvasDialog_)) {
        CopyBackgroundToDialog();
    }
}

void COvaneView::OpenManual() {
    const QString path = options_.manualPath.isEmpty() ? ManualPath(QCoreApplication::applicationFilePath())
                                                       : options_.manualPath;
    // A missing manual, or a desktop with nothing to show it, is said with the file's name.
    if (!QFileInfo::exists(path) || !prompts_->OpenWithShell(path, false)) {
        prompts_->ShowMessage(ManualNotOpenedText(path));
    }
}

void COvaneView::OpenHomepage() {
    if (!options_.homepageUrl.isEmpty()) {
        prompts_->OpenWithShell(options_.homepageUrl, true);
    }
}
