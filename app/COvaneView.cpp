#include "app/COvaneView.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTabletEvent>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>
#include <utility>

#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/RasterImageQt.h"
#include "app/SettingsFile.h"
#include "app/ShellTexts.h"
#include "app/ToolWindows.h"
#include "background/Grid.h"
#include "brushes/StrokeJournalRecorder.h"
#include "dialogs/CDlgBackground.h"
#include "engine/MemoryLimit.h"
#include "persistence/ImageBlock.h"
#include "persistence/PictureFile.h"
#include "persistence/RecoverySchedule.h"
#include "persistence/RecoveryStore.h"
#include "persistence/UndoJournal.h"
#include "toolbox/CDlgToolBox.h"

namespace {
const QColor MarginColour(200, 200, 200);

QString ExecutableFolder() {
    const QString exe = QCoreApplication::applicationFilePath();
    const qsizetype slash = std::max(exe.lastIndexOf(QLatin1Char('/')), exe.lastIndexOf(QLatin1Char('\\')));
    return slash >= 0 ? exe.left(slash) : QDir::currentPath();
}
} // namespace

ResultCode CheckNewCanvasSize(std::int32_t width, std::int32_t height) {
    if (width < 1 || height < 1) {
        return Result::BelowMinimum;
    }
    if (!FitsInMemory(PaintCanvas::BytesNeeded(width, height))) {
        return Result::OutOfMemory;
    }
    if (!ImageBlockHolds(width, height, 3)) {
        return Result::AboveMaximum;
    }
    return Result::Success;
}

COvaneView::COvaneView(QWidget* parent, ViewOptions options)
    : QAbstractScrollArea(parent), options_(std::move(options)),
      prompts_(std::make_unique<QtShellPrompts>(this)) {
    setObjectName(QStringLiteral("COvaneView"));
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAcceptDrops(true);
    setFrameShape(QFrame::NoFrame);
    controller_ = std::make_unique<StrokeController>(canvas_, *this);
    controller_->SetCanvasSettingsSource(this);
    controller_->SetMessageSink(this);
}

COvaneView::~COvaneView() {
    if (busyCursor_) {
        QGuiApplication::restoreOverrideCursor();
    }
    DestroyDialogs();
    // A view that goes without the close query (the session ends) keeps unsaved changes in the copy.
    if (recovery_ && !modified_) {
        recovery_->DeleteOwnCopy();
    }
    recovery_.reset();
    controller_.reset();
    recorder_.reset();
    journal_.reset();
}

void COvaneView::SetPrompts(std::unique_ptr<ShellPrompts> prompts) {
    if (prompts) {
        prompts_ = std::move(prompts);
    }
}

QString COvaneView::SettingsPath() const {
    if (!options_.settingsPath.isEmpty()) {
        return options_.settingsPath;
    }
    return SettingsFile::Choose(QCoreApplication::applicationFilePath());
}

void COvaneView::InitialUpdate() {
    if (initialised_) {
        return;
    }
    initialised_ = true;
    contentSize_ = ScrollSize{100, 100};
    SyncScrollBars();

    const QString undoFolder =
        options_.undoFolder.isEmpty() ? ExecutableFolder() + QStringLiteral("/UNDO") : options_.undoFolder;
    QString fallback = options_.undoFallbackFolder;
    if (fallback.isEmpty()) {
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (!data.isEmpty()) {
            fallback = data + QStringLiteral("/UNDO");
        }
    }
    // The core takes folder names as UTF-8 on every system.
    journal_ = std::make_unique<UndoJournal>(undoFolder.toUtf8().toStdString(), fallback.toUtf8().toStdString());
    journal_->Init(canvas_);
    recorder_ = std::make_unique<StrokeJournalRecorder>(*journal_);
    controller_->SetRecorder(recorder_.get());

    const ResultCode created = CreateCanvas(1280, 720);
    if (created != Result::Success) {
        ShowResultMessage(this, created);
        return;
    }
    if (journal_->Reset() != Result::Success) {
        prompts_->ShowMessage(QString::fromUtf8(ShellText::JournalError));
    }
    StartRecovery();
    buttonDown_ = 0;
    mouseMode_ = 1;
    geometry_.zoomStep = 1.2f;

    if (options_.createDialogs) {
        // The dialogs are first shown by the settings, once they are where they belong: a window placed
        // before it is first shown is framed exactly there.
        toolBox_ = new CDlgToolBox(this, this);
        ToolWindow::Attach(toolBox_);
        controller_->SetBrushSource(toolBox_);
        canvasDialog_ = new CDlgBackground(this, this);
        ToolWindow::Attach(canvasDialog_);
        CopyBackgroundToDialog();
        // Tool windows shown before the main window would be stacked under it once it comes up.
        if (window()->isVisible()) {
            PlaceDialogs();
        } else {
            window()->installEventFilter(this);
        }
    }
    QTimer::singleShot(100, this, &COvaneView::OnStartTimer);
    emit commandStateChanged();
}

void COvaneView::PlaceDialogs() {
    if (dialogsPlaced_ || toolBox_ == nullptr || canvasDialog_ == nullptr) {
        return;
    }
    dialogsPlaced_ = true;
    bool penPressure = true;
    SettingsFile::Read(SettingsPath(), toolBox_, canvasDialog_, &toolBox_->Palette(), QRect(),
                       ToolWindow::FreeAreaBeside(*this), &penPressure);
    toolBox_->SetPenPressureEnabled(penPressure);
}

bool COvaneView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window() && event->type() == QEvent::Show) {
        window()->removeEventFilter(this);
        // After the main window's own showing has gone out to the window manager.
        QTimer::singleShot(0, this, &COvaneView::PlaceDialogs);
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void COvaneView::OnStartTimer() {
    if (startTimerDone_) {
        return;
    }
    startTimerDone_ = true;
    SetCaption(QString::fromUtf8(AppTitle));
    controller_->RefreshBrush();
    // After the caption, so that a document opened from outside keeps its path there.
    if (!startFile_.isEmpty()) {
        OpenStartFile(std::exchange(startFile_, QString()));
    }
}

void COvaneView::OpenStartFile(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    if (!startTimerDone_) {
        startFile_ = path;
        return;
    }
    if (HasPictureExtension(path.toUtf8().toStdString())) {
        // A painting already there (one restored from a recovery copy) is offered for saving first.
        if (MaybeSave()) {
            NewFromImageFile(path);
        }
    } else {
        OpenCommand(path);
    }
    emit commandStateChanged();
}

void COvaneView::SetCaption(const QString& caption) {
    caption_ = caption;
    emit captionChanged(caption_);
}

// ---- Status, busy state, progress ----

void COvaneView::SetStatusText(const std::string& text) {
    statusText_ = QString::fromStdString(text);
    emit statusTextChanged(statusText_);
}

void COvaneView::BeginBusy(const char* text) {
    busyStart_.start();
    if (text != nullptr) {
        SetStatusText(text);
    }
    if (busyCursor_) {
        QGuiApplication::restoreOverrideCursor();
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    busyCursor_ = true;
}

void COvaneView::EndBusy() {
    const std::int64_t elapsed = busyStart_.isValid() ? busyStart_.elapsed() : 0;
    statusText_ = BusyTimeText(elapsed);
    emit statusTextChanged(statusText_);
    if (busyCursor_) {
        QGuiApplication::restoreOverrideCursor();
        busyCursor_ = false;
    }
}

void COvaneView::ShowProgress(const std::string& text, int percent) {
    statusText_ = ProgressText(QString::fromStdString(text), percent);
    emit statusTextChanged(statusText_);
}

void COvaneView::ReportProgress(int phase, int percent) {
    // Documents report every record, but the pane changes only ten times and each change repaints at
    // once: repainting an unchanged text for every record made saving large paintings crawl.
    if (ProgressText(ProgressKindText(phase), percent) == statusText_) {
        return;
    }
    ShowProgress(ProgressKindText(phase).toStdString(), percent);
}

void COvaneView::ShowMessage(const std::string& text) {
    prompts_->ShowMessage(QString::fromStdString(text));
}

// ---- Display ----

bool COvaneView::CursorHidden() const {
    return !controller_->Preview().cursorCircle.onScreen;
}

void COvaneView::WipeCursor() {
    controller_->WipeCursor();
    viewport()->update();
}

void COvaneView::ClearView() {
    viewport()->update();
}

void COvaneView::RecreateDisplayImage(std::int32_t width, std::int32_t height) {
    screenImage_ = QImage();
    if (displayImage_.CreateRgb(width, height) != Result::Success) {
        return;
    }
    displayImage_.FillCheckerboard(20, 0, 0, 0);
    screenImage_ = QImageFromImage(displayImage_);
    zoomed_.Clear();
    displayStale_ = true;
}

void COvaneView::BlitRect(const UpdateRect& rect) {
    const UpdateRect done = RefreshDisplay(rect);
    if (done.valid) {
        PutOnScreen(TopDownRect(displayImage_.height, done.x0, done.y0, done.x1, done.y1));
    }
}

UpdateRect COvaneView::RefreshDisplay(const UpdateRect& rect) {
    if (!rect.valid) {
        return UpdateRect::Empty();
    }
    if (displayImage_.CopyRect(canvas_.renderedImage, rect) != Result::Success) {
        return UpdateRect::Empty();
    }
    if (grid_.shown) {
        DrawGrid(displayImage_, rect, grid_.spacing, grid_.colour);
    }
    UpdateRect clipped = rect;
    clipped.Clamp(displayImage_.width, displayImage_.height);
    CopyRectToQImage(displayImage_, clipped.x0, clipped.y0, clipped.x1, clipped.y1, screenImage_);
    // A shrunk picture of another zoom is made anew when it is next painted.
    if (zoomed_.Matches(screenImage_, geometry_.Zoom())) {
        zoomed_.Update(screenImage_,
                       TopDownRect(displayImage_.height, clipped.x0, clipped.y0, clipped.x1, clipped.y1));
    }
    return clipped;
}

QRectF COvaneView::ImageRectOnClient(const QRect& r) const {
    const FloatRect& d = geometry_.displayRect;
    const FloatRect& s = geometry_.sourceRect;
    const qreal z = geometry_.Zoom();
    return QRectF(d.x + (r.x() - s.x) * z, d.y + (r.y() - s.y) * z, r.width() * z, r.height() * z);
}

void COvaneView::PutOnScreen(const QRect& imageRect) {
    const QRect client = ImageRectOnClient(imageRect).toAlignedRect().adjusted(-1, -1, 1, 1);
    // Long operations run without returning to the event loop; they are shown as they go.
    if (busyCursor_) {
        viewport()->repaint(client);
    } else {
        viewport()->update(client);
    }
}

void COvaneView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const int cw = viewport()->width();
    const int ch = viewport()->height();
    const FloatRect& d = geometry_.displayRect;
    const int top = static_cast<int>(d.y);
    const int bottom = static_cast<int>(d.y + d.height);
    const int left = static_cast<int>(d.x);
    const int right = static_cast<int>(d.x + d.width);
    if (top > 0) {
        painter.fillRect(QRect(0, 0, cw, top), MarginColour);
    }
    if (bottom < ch) {
        painter.fillRect(QRect(0, bottom, cw, ch - bottom), MarginColour);
    }
    if (left > 0) {
        painter.fillRect(QRect(0, 0, left, ch), MarginColour);
    }
    if (right < cw) {
        painter.fillRect(QRect(right, 0, cw - right, ch), MarginColour);
    }

    // Every change of the rendered canvas reaches the display picture through BlitRect; only a display
    // picture made anew still shows its checkerboard and takes the whole canvas here.
    if (displayStale_ && !screenImage_.isNull()) {
        displayStale_ = false;
        RefreshDisplay(UpdateRect::Make(0, 0, canvas_.width - 1, canvas_.height - 1));
    }
    if (!screenImage_.isNull()) {
        const QRectF target(d.x, d.y, d.width, d.height);
        const QRectF exposed = QRectF(event->rect()).intersected(target);
        const float zoom = geometry_.Zoom();
        if (!exposed.isEmpty() && zoom < 1.0f) {
            if (!zoomed_.Matches(screenImage_, zoom)) {
                zoomed_.Rebuild(screenImage_, zoom);
            }
            // Screen pixels that average the picture pixels they cover, drawn one to one.
            painter.save();
            painter.setClipRect(exposed);
            painter.drawImage(QPointF(std::round(d.x), std::round(d.y)), zoomed_.Image());
            painter.restore();
        } else if (!exposed.isEmpty()) {
            const qreal z = zoom;
            const int w = screenImage_.width();
            const int h = screenImage_.height();
            // Only the exposed part is scaled, with one pixel more on each side for the smoothing.
            const int sx0 = std::max(0, static_cast<int>(std::floor((exposed.left() - d.x) / z)) - 1);
            const int sy0 = std::max(0, static_cast<int>(std::floor((exposed.top() - d.y) / z)) - 1);
            const int sx1 = std::min(w, static_cast<int>(std::ceil((exposed.right() - d.x) / z)) + 1);
            const int sy1 = std::min(h, static_cast<int>(std::ceil((exposed.bottom() - d.y) / z)) + 1);
            if (sx1 > sx0 && sy1 > sy0) {
                const QRect source(sx0, sy0, sx1 - sx0, sy1 - sy0);
                painter.save();
                painter.setClipRect(exposed);
                painter.setRenderHint(QPainter::SmoothPixmapTransform, z != 1.0);
                painter.drawImage(ImageRectOnClient(source), screenImage_, source);
                painter.restore();
            }
        }
    }
    PaintPreview(painter);
}

void COvaneView::PaintPreview(QPainter& painter) const {
    const ViewMapping m = geometry_.Mapping();
    const float z = m.Zoom();
    auto toWindow = [&](float x, float y) {
        return QPointF((x - m.sourceX) * z + m.displayX, (y - m.sourceY) * z + m.displayY);
    };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setBrush(Qt::NoBrush);
    controller_->Preview().ForEach([&](const PreviewShape& shape) {
        if (!shape.onScreen || shape.kind == PreviewKind::None) {
            return;
        }
        painter.setPen(QPen(Qt::white, std::max(1, shape.penWidth)));
        switch (shape.kind) {
        case PreviewKind::Polyline: {
            if (shape.points.empty()) {
                break;
            }
            QPainterPath path(toWindow(shape.points[0].x, shape.points[0].y));
            for (std::size_t i = 1; i < shape.points.size(); ++i) {
                path.lineTo(toWindow(shape.points[i].x, shape.points[i].y));
            }
            painter.drawPath(path);
            break;
        }
        case PreviewKind::Circle:
            painter.drawEllipse(QRectF(toWindow(shape.left, shape.top), toWindow(shape.right, shape.bottom)));
            break;
        case PreviewKind::Arc: {
            const QPointF c = toWindow(shape.centre.x, shape.centre.y);
            const qreal r = shape.radius * z;
            QPainterPath path;
            const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
            path.arcMoveTo(box, shape.ScreenStartAngle());
            path.arcTo(box, shape.ScreenStartAngle(), shape.ScreenSweep());
            painter.drawPath(path);
            break;
        }
        case PreviewKind::None:
            break;
        }
    });
    painter.restore();
}

void COvaneView::PreviewChanged() {
    viewport()->update();
}

void COvaneView::RedrawAll() {
    ClearView();
    BeginBusy(ShellText::RedrawStatus);
    const std::int32_t height = canvas_.height;
    // Bands of five rows show progress as they finish; the picture equals one render of the whole canvas,
    // with no seams where the bands meet.
    UpdateRect all = UpdateRect::Make(0, 0, canvas_.width - 1, height - 1);
    canvas_.BeginOperation();
    canvas_.RenderInBands(all, 5, [&](const UpdateRect& done) {
        ShowProgress(ShellText::RedrawStatus,
                     static_cast<int>(static_cast<float>(done.y1) / static_cast<float>(height) * 100.0f));
        BlitRect(done);
    });
    canvas_.EndOperation();
    WipeCursor();
    EndBusy();
}

// ---- Geometry, zoom, scrolling ----

void COvaneView::UpdateScrollSizes() {
    contentSize_ = geometry_.ScrollSizes(canvas_.width, canvas_.height);
    SyncScrollBars();
}

void COvaneView::SyncScrollBars() {
    const QSize client = viewport()->size();
    auto setBar = [](QScrollBar* bar, int content, int visible) {
        bar->setRange(0, std::max(0, content - visible));
        bar->setPageStep(std::max(1, content / 10));
        bar->setSingleStep(std::max(1, content / 100));
    };
    setBar(horizontalScrollBar(), contentSize_.width, client.width());
    setBar(verticalScrollBar(), contentSize_.height, client.height());
    geometry_.SetScrollPosition(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void COvaneView::ScrollToOrigin() {
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    geometry_.SetScrollPosition(0, 0);
}

void COvaneView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    SyncScrollBars();
}

void COvaneView::scrollContentsBy(int, int) {
    geometry_.SetScrollPosition(horizontalScrollBar()->value(), verticalScrollBar()->value());
    BlitRect(UpdateRect::Make(0, 0, canvas_.width - 1, canvas_.height - 1));
    WipeCursor();
}

void COvaneView::AfterZoom() {
    UpdateScrollSizes();
    WipeCursor();
}

void COvaneView::ZoomIn() {
    geometry_.ZoomIn();
    AfterZoom();
}

void COvaneView::ZoomOut() {
    geometry_.ZoomOut();
    AfterZoom();
}

void COvaneView::ZoomActual() {
    geometry_.ZoomActual();
    UpdateScrollSizes();
    ScrollToOrigin();
    geometry_.ZeroOrigins();
    WipeCursor();
}

void COvaneView::ZoomFit() {
    const QSize client = viewport()->size();
    if (!geometry_.ZoomFit(client.width(), client.height(), canvas_.width, canvas_.height)) {
        return;
    }
    UpdateScrollSizes();
    ScrollToOrigin();
    geometry_.ZeroOrigins();
    WipeCursor();
}

void COvaneView::ZoomAt(bool in, QPoint client) {
    const ScrollPosition target = geometry_.ZoomAbout(in, client.x(), client.y());
    UpdateScrollSizes();
    // The scroll bars keep the position inside the range; where the picture is smaller than the window it
    // stays at the top-left, as after the zoom commands.
    horizontalScrollBar()->setValue(static_cast<int>(std::lround(target.x)));
    verticalScrollBar()->setValue(static_cast<int>(std::lround(target.y)));
    geometry_.SetScrollPosition(horizontalScrollBar()->value(), verticalScrollBar()->value());
    WipeCursor();
}

void COvaneView::wheelEvent(QWheelEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    // A wheel that only turns sideways (some mice, touchpads) counts as the same turn.
    const int delta = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    if (mods & Qt::ControlModifier) {
        // A notch of 120 is one zoom step; finer wheels add up to it.
        wheelZoomDelta_ += delta;
        const QPoint at = event->position().toPoint();
        while (wheelZoomDelta_ >= 120) {
            wheelZoomDelta_ -= 120;
            ZoomAt(true, at);
        }
        while (wheelZoomDelta_ <= -120) {
            wheelZoomDelta_ += 120;
            ZoomAt(false, at);
        }
        event->accept();
        return;
    }
    if (mods & Qt::ShiftModifier) {
        // Sideways by as many lines as the plain wheel scrolls upright; turning away scrolls right.
        QScrollBar* bar = horizontalScrollBar();
        wheelSideways_ +=
            static_cast<double>(delta) / 120.0 * QApplication::wheelScrollLines() * bar->singleStep();
        const int move = static_cast<int>(wheelSideways_);
        wheelSideways_ -= move;
        bar->setValue(bar->value() - move);
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

// ---- Mouse ----

void COvaneView::RouteStroke(StrokeEvent type, const QPoint& position, float pressure) {
    if (mouseMode_ != 1 || !initialised_) {
        return;
    }
    const WindowPoint snapped = controller_->SnapToGrid(WindowPoint{position.x(), position.y()});
    controller_->SetPenPressure(pressure);
    controller_->HandleStrokeEvent(type, snapped);
    controller_->SetPenPressure(1.0f);
    if (type != StrokeEvent::Move) {
        emit commandStateChanged();
    }
}

bool COvaneView::PenPressureEnabled() const {
    return toolBox_ == nullptr || toolBox_->PenPressureEnabled();
}

bool COvaneView::viewportEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
        return PenEvent(static_cast<QTabletEvent*>(event));
    default:
        return QAbstractScrollArea::viewportEvent(event);
    }
}

bool COvaneView::PenEvent(QTabletEvent* event) {
    // Only the tip paints through here; the pen's side buttons and a pen moving with one of them held
    // come back as mouse events (the right button, the middle-button pan).
    const bool tip = event->type() == QEvent::TabletMove
                         ? (event->buttons() & ~Qt::MouseButtons(Qt::LeftButton)) == Qt::NoButton
                         : event->button() == Qt::LeftButton;
    if (!tip || panning_) {
        event->ignore();
        return false;
    }
    event->accept();
    const QPoint p = event->position().toPoint();
    const float pressure = PenPressureEnabled() ? static_cast<float>(event->pressure()) : 1.0f;
    switch (event->type()) {
    case QEvent::TabletPress:
        penDown_ = true;
        buttonDown_ = 1;
        RouteStroke(StrokeEvent::ButtonDown, p, pressure);
        break;
    case QEvent::TabletMove:
        if (penDown_ && !(event->buttons() & Qt::LeftButton)) {
            // The tip is up again though its release never came (lifted outside the window): the stroke
            // ends here, as it would have at the release.
            penDown_ = false;
            if (buttonDown_) {
                RouteStroke(StrokeEvent::ButtonUp, p, pressure);
                buttonDown_ = 0;
            }
        }
        RouteStroke(StrokeEvent::Move, p, pressure);
        break;
    default:
        penDown_ = false;
        if (buttonDown_) {
            RouteStroke(StrokeEvent::ButtonUp, p, pressure);
            buttonDown_ = 0;
        }
        break;
    }
    return true;
}

void COvaneView::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    // While the pen touches, mouse copies of its events would paint a second time.
    if (penDown_ && event->button() == Qt::LeftButton) {
        return;
    }
    if (event->button() == Qt::MiddleButton) {
        panning_ = true;
        panStart_ = p;
        panScroll_ = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
        viewport()->setCursor(Qt::ClosedHandCursor);
    } else if (event->button() == Qt::LeftButton) {
        buttonDown_ = 1;
        RouteStroke(StrokeEvent::ButtonDown, p);
    } else if (event->button() == Qt::RightButton) {
        if (event->modifiers() & Qt::ShiftModifier) {
            PixelInfo(p.x(), p.y());
        } else {
            RouteStroke(StrokeEvent::RightDown, p);
        }
    }
}

void COvaneView::mouseMoveEvent(QMouseEvent* event) {
    if (panning_) {
        // The picture follows the hand: dragging left shows more of the right.
        const QPoint moved = event->position().toPoint() - panStart_;
        horizontalScrollBar()->setValue(panScroll_.x() - moved.x());
        verticalScrollBar()->setValue(panScroll_.y() - moved.y());
        return;
    }
    if (penDown_) {
        return;
    }
    RouteStroke(StrokeEvent::Move, event->position().toPoint());
}

void COvaneView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        if (panning_) {
            panning_ = false;
            viewport()->unsetCursor();
        }
        return;
    }
    if (event->button() != Qt::LeftButton || !buttonDown_ || penDown_) {
        return;
    }
    RouteStroke(StrokeEvent::ButtonUp, event->position().toPoint());
    buttonDown_ = 0;
}

void COvaneView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        RouteStroke(StrokeEvent::DoubleClick, event->position().toPoint());
    }
}

QString COvaneView::PixelInfoText(int clientX, int clientY) const {
    const CanvasPoint p = geometry_.ClientToImage(clientX, clientY);
    if (!canvas_.HasBuffers()) {
        return QString();
    }
    if (p.x < 0.0f || p.y < 0.0f || p.x >= static_cast<float>(canvas_.width) ||
        p.y >= static_cast<float>(canvas_.height)) {
        // Outside the picture there is no surface to report; say so rather than staying silent.
        return QString::asprintf("ix; %d, iy; %d", static_cast<int>(std::floor(p.x)),
                                 static_cast<int>(std::floor(p.y))) +
               QStringLiteral("\nキャンバスの外です。絵の具はありません。");
    }
    const int column = static_cast<int>(p.x);
    const int row = static_cast<int>(p.y);
    std::vector<std::int32_t> ids;
    PaintColour colour;
    canvas_.PickAt(column, row, ids, colour);
    const SurfaceRecord& record = canvas_.Surface(column, row);
    const float base = canvas_.BaseHeight(p.x, p.y, 2.0f);
    QStringList lines;
    lines << QString::asprintf("ix; %d, iy; %d", column, row);
    lines << QString::asprintf("ピクセル色 (%d %d %d)", static_cast<int>(colour.red * 255.0f),
                               static_cast<int>(colour.green * 255.0f),
                               static_cast<int>(colour.blue * 255.0f));
    lines << QString::asprintf("ピクセルのメタボール数: %d, 全メタボール数: %d", static_cast<int>(ids.size()),
                               canvas_.store ? canvas_.store->Count() : 0);
    lines << QString::asprintf("ピクセル占有率: %f", static_cast<double>(record.coverage));
    lines << QString::asprintf("表面のZ値: %f", static_cast<double>(record.surfaceZ));
    lines << QString::asprintf("基本Z値: %f", static_cast<double>(base));
    return lines.join(QLatin1Char('\n'));
}

void COvaneView::PixelInfo(int clientX, int clientY) {
    const QString text = PixelInfoText(clientX, clientY);
    if (!text.isEmpty()) {
        prompts_->ShowMessage(text);
    }
}

// ---- Dropped files ----

void COvaneView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void COvaneView::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void COvaneView::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl& url : urls) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            OpenCommand(url.toLocalFile());
            return;
        }
    }
}

// ---- Messages of the dialogs ----

GridSnapSettings COvaneView::GridSnap() const {
    GridSnapSettings s;
    // A spacing below 1 would divide by zero in snapping; such a grid is neither drawn nor snapped to.
    s.shown = grid_.shown != 0 && grid_.spacing >= 1;
    s.spacing = grid_.spacing;
    s.snap = grid_.snap != 0;
    return s;
}

CanvasDrawingSettings COvaneView::DrawingSettings() const {
    CanvasDrawingSettings s;
    if (canvasDialog_ != nullptr) {
        s.drawingArea = canvasDialog_->DrawingArea();
        s.heightMode = canvasDialog_->HeightMode();
        s.planeHeight = static_cast<float>(canvasDialog_->PlaneHeight());
    }
    return s;
}

void COvaneView::OnCanvasDialogMessage(int wParam, int) {
    const UpdateRect whole = UpdateRect::Make(0, 0, canvas_.width - 1, canvas_.height - 1);
    switch (wParam) {
    case CanvasBackgroundChanging:
        SetStatusText(ShellText::BackgroundChanging);
        return;
    case CanvasBackgroundDone:
        SetStatusText(ShellText::BackgroundChanged);
        return;
    case CanvasBackgroundChanged: {
        if (canvasDialog_ == nullptr) {
            return;
        }
        const RasterImage& working = canvasDialog_->WorkingImage();
        // The working picture always has the canvas's size; any other picture would be read out of range.
        if (working.width != canvas_.width || working.height != canvas_.height ||
            working.bytesPerPixel != 3) {
            return;
        }
        canvas_.backgroundImage = working;
        canvas_.Compose(whole);
        ++paintingChanges_;
        ClearView();
        BlitRect(whole);
        WipeCursor();
        if (journal_ && journal_->RecordBackground() != Result::Success) {
            prompts_->ShowMessage(QString::fromUtf8(ShellText::JournalError));
        }
        emit commandStateChanged();
        return;
    }
    case CanvasGridOn:
        if (canvasDialog_ == nullptr) {
            return;
        }
        grid_.spacing = canvasDialog_->GridSpacing();
        {
            const QColor c = canvasDialog_->GridColour();
            grid_.colour = RgbBytes{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                                    static_cast<std::uint8_t>(c.blue())};
        }
        grid_.snap = canvasDialog_->Snap() ? 1 : 0;
        grid_.shown = 1;
        break;
    case CanvasGridOff:
        grid_.shown = 0;
        grid_.spacing = 0;
        break;
    case CanvasSnapChanged:
        if (canvasDialog_ == nullptr) {
            return;
        }
        grid_.snap = canvasDialog_->Snap() ? 1 : 0;
        break;
    default:
        return;
    }
    BlitRect(whole);
    WipeCursor();
}

void COvaneView::OnToolBoxMessage(int wParam, int lParam) {
    switch (wParam) {
    case ToolBoxBrushKindChosen:
    case ToolBoxSizeBarMoved:
        controller_->RefreshBrush();
        break;
    case ToolBoxPathKindChosen:
        controller_->SetPathKind(static_cast<PathKind>(lParam));
        break;
    default:
        break;
    }
}

void COvaneView::CopyBackgroundToDialog() {
    if (canvasDialog_ != nullptr) {
        canvasDialog_->SetWorkingImage(canvas_.backgroundImage);
    }
}

void COvaneView::DestroyDialogs() {
    controller_->SetBrushSource(nullptr);
    delete toolBox_;
    toolBox_ = nullptr;
    delete canvasDialog_;
    canvasDialog_ = nullptr;
}
