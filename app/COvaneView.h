#pragma once
// The scrollable canvas view. It owns everything the user edits: the canvas, the working brush (in
// the stroke controller), the grid overlay, the undo journal, the current file path and the modified
// flag. It shows the painting at any zoom, routes the mouse to the stroke input, shows progress in the
// status pane, receives the messages of the tool box and the canvas dialog, and runs the document
// commands.

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QImage>
#include <QString>
#include <functional>
#include <memory>

#include "app/ShellPrompts.h"
#include "app/ShellTexts.h"
#include "app/ViewGeometry.h"
#include "app/ViewMessages.h"
#include "app/ZoomedPicture.h"
#include "background/RgbBytes.h"
#include "brushes/StrokeController.h"
#include "brushes/StrokeServices.h"
#include "engine/PaintCanvas.h"
#include "persistence/ImageBlock.h"
#include "persistence/RasterImage.h"

class CDlgBackground;
class QTabletEvent;
class CDlgToolBox;
class QTimer;
class RecoverySchedule;
class RecoveryStore;
class StrokeJournalRecorder;
class UndoJournal;
struct LeftCopy;

struct GridSettings {
    std::int32_t shown = 0;
    std::int32_t spacing = 15;
    RgbBytes colour{128, 128, 128};
    std::int32_t snap = 1;
};

// Where the view keeps its files; empty entries take the places beside the executable.
struct ViewOptions {
    QString undoFolder;         // default: "UNDO" beside the executable
    QString undoFallbackFolder; // default: "UNDO" in the user's application data folder
    QString settingsPath;       // default: the settings file beside the executable
    bool createDialogs = true;  // the tool box and the canvas dialog
    QString recoveryFolder;     // default: "recovery" in the user's application data folder
    // Seconds between recovery copies, 0 for none; below 0: NURIMOKO_RECOVERY_SECONDS, else two minutes.
    qint64 recoverySeconds = -1;
    // Milliseconds for the recovery schedule; default: a steady clock.
    std::function<qint64()> recoveryClock;
    QString manualPath;         // default: the manual beside the executable
    QString homepageUrl = QString::fromUtf8(ShellText::HomepageUrl); // empty: no homepage command
};

// 0 when a new canvas of this size may be created, else the code that refuses it: -21 for a side below
// 1, -1 when its buffers do not fit in memory, -22 when no document could hold its background (so that
// every new canvas can be saved and opened again).
ResultCode CheckNewCanvasSize(std::int32_t width, std::int32_t height);

class COvaneView : public QAbstractScrollArea,
                   public ViewMessageTarget,
                   public ViewServices,
                   public CanvasSettingsSource,
                   public ProgressTarget,
                   public MessageSink {
    Q_OBJECT
public:
    explicit COvaneView(QWidget* parent = nullptr, ViewOptions options = {});
    ~COvaneView() override;

    void SetPrompts(std::unique_ptr<ShellPrompts> prompts);
    ShellPrompts& Prompts() { return *prompts_; }

    // The first showing: journal, the 1280 × 720 canvas, the dialogs, the settings, the start timer.
    void InitialUpdate();
    // The start timer's tick: caption "ヌリモコ" and the first copy of the tool box's brush; then the file
    // given on the command line, if any.
    void OnStartTimer();
    // A file given from outside (the command line): opened once the start timer has ticked, at once if
    // it already has. A BMP or PNG picture starts a new canvas as 画像ファイルから新規作成 does; any other
    // file is opened as a paint document, as 開く does.
    void OpenStartFile(const QString& path);

    // ---- Commands of the frame ----
    void OnCommand(int id);
    bool IsCommandEnabled(int id) const;
    // The check mark of the dialog toggles: the dialog is not minimised.
    bool IsCommandChecked(int id) const;
    // The close query: 1 refuses the close, 0 lets it go on.
    int OnCloseQuery();
    // Before a command that replaces the painting (close, new, open): when the painting has unsaved
    // changes, asks "変更内容をMBファイルに保存しますか？" with はい, いいえ and キャンセル. はい saves to
    // the current file, or through the save dialog when there is none. False when the user chose キャンセル,
    // cancelled the save dialog or the save failed: the command then stops and nothing has changed.
    bool MaybeSave();

    // ---- Document commands ----
    void NewCanvasCommand();
    void NewFromImageFileCommand();
    // Steps 3 to 5 of the command for a chosen picture file.
    void NewFromImageFile(const QString& path);
    void NewFromClipboardCommand();
    // With an empty path the open dialog asks for one (the command); a dropped file gives it directly.
    void OpenCommand(const QString& path = QString());
    void SaveCommand();
    void SaveAsCommand();
    // The save flow; an empty path shows the save dialog. True when the file was written.
    bool SaveFlow(const QString& path);
    void SavePictureCommand();
    void CopyPictureCommand();
    void UndoCommand();
    void RedoCommand();
    void ToggleToolBox();
    void ToggleCanvasDialog();
    void OpenManual();
    void OpenHomepage();

    // ---- Recovery copies ----

    // At start-up: offers, newest first, the paintings that programs which did not end properly left
    // in the recovery folder.
    void OfferRecoveryCopies();
    // The recovery timer's tick: writes the copy when one is due.
    void OnRecoveryTimer();
    // No stroke or path under way, no busy state, no dialog open.
    bool RecoveryIdle() const;
    // The painting's changes are saved or given up: the copy is deleted.
    void RecoveryCopyNoLongerNeeded();
    RecoveryStore* Recovery() { return recovery_.get(); }
    // The file a painting restored from a recovery copy came from, or empty.
    const QString& RecoveredFrom() const { return recoveredFrom_; }
    // Milliseconds the window's thread spent on the last recovery copy (taking the document's bytes).
    qint64 LastRecoveryCopyMillis() const { return lastRecoveryCopyMillis_; }

    // ---- View operations ----
    ResultCode CreateCanvas(std::int32_t width, std::int32_t height);
    ResultCode CreateCanvasFromImage(const RasterImage& image);
    void FinishNewCanvas();
    void ClearView();
    void RedrawAll();
    void UpdateScrollSizes();
    void ZoomIn();
    void ZoomOut();
    void ZoomActual();
    void ZoomFit();
    // One zoom step in or out that keeps the picture point under the client point where it is, as far
    // as the scroll range allows (Ctrl + wheel).
    void ZoomAt(bool in, QPoint client);
    // The middle button is dragging the picture.
    bool Panning() const { return panning_; }
    // A pen's pressure shapes its strokes: the tool box's "筆圧" (on when there is no tool box).
    bool PenPressureEnabled() const;
    // The Shift + right button report of the pixel under a client point; empty outside the canvas.
    QString PixelInfoText(int clientX, int clientY) const;
    void PixelInfo(int clientX, int clientY);

    // ---- ViewServices ----
    void SetStatusText(const std::string& text) override;
    void BeginBusy(const char* text) override;
    void ShowProgress(const std::string& text, int percent) override;
    void EndBusy() override;
    void BlitRect(const UpdateRect& rect) override;
    void SetModified() override {
        modified_ = 1;
        ++paintingChanges_;
    }
    ViewMapping Mapping() const override { return geometry_.Mapping(); }
    GridSnapSettings GridSnap() const override;
    void PreviewChanged() override;

    // ---- CanvasSettingsSource ----
    CanvasDrawingSettings DrawingSettings() const override;

    // ---- ProgressTarget ----
    void ReportProgress(int phase, int percent) override;

    // ---- MessageSink ----
    void ShowMessage(const std::string& text) override;

    // ---- ViewMessageTarget ----
    void OnCanvasDialogMessage(int wParam, int lParam) override;
    void OnToolBoxMessage(int wParam, int lParam) override;

    // ---- State ----
    PaintCanvas& Canvas() { return canvas_; }
    const PaintCanvas& Canvas() const { return canvas_; }
    ViewGeometry& Geometry() { return geometry_; }
    const ViewGeometry& Geometry() const { return geometry_; }
    const RasterImage& DisplayImage() const { return displayImage_; }
    // The display picture as it goes to the screen (top-down).
    const QImage& ScreenImage() const { return screenImage_; }
    // Below 100 %: the display picture averaged down to the screen's pixels, as last painted.
    const ZoomedPicture& Zoomed() const { return zoomed_; }
    const GridSettings& Grid() const { return grid_; }
    bool Modified() const { return modified_ != 0; }
    void SetModifiedFlag(bool on) { modified_ = on ? 1 : 0; }
    const QString& CurrentPath() const { return currentPath_; }
    const QString& StatusText() const { return statusText_; }
    const QString& Caption() const { return caption_; }
    bool Busy() const { return busyCursor_; }
    bool ButtonDown() const { return buttonDown_ != 0; }
    int MouseMode() const { return mouseMode_; }
    bool CursorHidden() const;
    UndoJournal* Journal() { return journal_.get(); }
    StrokeController* Controller() { return controller_.get(); }
    CDlgToolBox* ToolBox() { return toolBox_; }
    CDlgBackground* CanvasDialog() { return canvasDialog_; }
    QString SettingsPath() const;

signals:
    void statusTextChanged(const QString& text);
    void captionChanged(const QString& caption);
    // Something that the availability of commands depends on may have changed.
    void commandStateChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // The pen's tip reaches the stroke input with its pressure; other tablet events are left to the
    // mouse events the platform makes of them.
    bool viewportEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RouteStroke(StrokeEvent type, const QPoint& position, float pressure = 1.0f);
    bool PenEvent(QTabletEvent* event);
    void SetCaption(const QString& caption);
    void RecreateDisplayImage(std::int32_t width, std::int32_t height);
    void SyncScrollBars();
    void ScrollToOrigin();
    void AfterZoom();
    void WipeCursor();
    void CopyBackgroundToDialog();
    // Undo or redo one journal step with the busy status, failure message and repaint both share.
    void StepJournal(int (UndoJournal::*step)(UpdateRect&), const char* busyText, const char* failedText);
    void NewFromPicture(RasterImage& picture);
    void PutOnScreen(const QRect& imageRect);
    // Copies a rectangle of the rendered canvas into the display picture with the grid; the part done.
    UpdateRect RefreshDisplay(const UpdateRect& rect);
    QRectF ImageRectOnClient(const QRect& topDownRect) const;
    void PaintPreview(QPainter& painter) const;
    void DestroyDialogs();
    // Loads a paint document as the open command does (status, messages, display); true on success.
    // On failure *paintingKept tells whether the painting on screen was left as it was (the canvas
    // was not re-created), so its history may stay.
    bool LoadPaintDocument(const QString& path, bool* paintingKept = nullptr);
    void StartRecovery();
    qint64 RecoveryNow() const;
    bool RestoreLeftCopy(const LeftCopy& copy);
    // Places and shows the dialogs as the settings file says, once the main window is shown.
    void PlaceDialogs();

    ViewOptions options_;
    std::unique_ptr<ShellPrompts> prompts_;
    bool busyCursor_ = false;
    CDlgToolBox* toolBox_ = nullptr;
    CDlgBackground* canvasDialog_ = nullptr;
    ViewGeometry geometry_;
    std::int32_t buttonDown_ = 0;
    std::int32_t mouseMode_ = 1;
    PaintCanvas canvas_;
    std::int32_t modified_ = 0;
    QString currentPath_;
    RasterImage displayImage_;
    QImage screenImage_;
    ZoomedPicture zoomed_;
    GridSettings grid_;
    QElapsedTimer busyStart_;
    std::unique_ptr<UndoJournal> journal_;
    std::unique_ptr<StrokeJournalRecorder> recorder_;
    std::unique_ptr<StrokeController> controller_;
    QString statusText_;
    QString caption_;
    ScrollSize contentSize_{100, 100};
    bool initialised_ = false;
    bool startTimerDone_ = false;
    QString startFile_; // given from outside before the start timer ticked
    bool dialogsPlaced_ = false;
    bool displayStale_ = true; // the display picture has not yet taken the canvas
    std::unique_ptr<RecoveryStore> recovery_;
    std::unique_ptr<RecoverySchedule> recoverySchedule_;
    QTimer* recoveryTimer_ = nullptr;
    std::uint64_t paintingChanges_ = 0; // counts every change of the painting
    QString recoveredFrom_;
    qint64 lastRecoveryCopyMillis_ = -1;
    bool recoveryFailed_ = false;
    // Ctrl + wheel turns not yet worth a zoom step, Shift + wheel scrolling not yet a whole pixel.
    int wheelZoomDelta_ = 0;
    double wheelSideways_ = 0.0;
    // The middle-button pan: where it started on the client and the scroll position then.
    bool panning_ = false;
    bool penDown_ = false; // the pen's tip touches the view
    QPoint panStart_;
    QPoint panScroll_;
};
