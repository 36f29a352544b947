#pragma once
// The modeless canvas dialog "キャンバス": background generation, drawing area, drawing height and the
// grid. It never touches the canvas; it fills its working picture and notifies the view.

#include <QColor>
#include <QDialog>
#include <functional>

#include "app/ViewMessages.h"
#include "background/BackgroundSettings.h"
#include "brushes/StrokeServices.h"
#include "engine/ResultCode.h"
#include "persistence/RasterImage.h"
#include "toolbox/ColorButtonGrid.h"

class QAbstractButton;
class QLineEdit;
class PaintedFrame;

class CDlgBackground : public QDialog, public CanvasSettingsSource {
    Q_OBJECT
public:
    // The plane heights field 1059 takes, from -PlaneHeightLimit to PlaneHeightLimit. Paint laid higher
    // would never show: the surface search walks down in half steps in float, and above 2^23
    // (8,388,608) a half step no longer changes the height. This limit and the furthest a document's
    // paint may reach (4096) stay below that.
    static constexpr int PlaneHeightLimit = 8000000;

    CDlgBackground(ViewMessageTarget* view, QWidget* parent);
    ~CDlgBackground() override;

    // Settings read by the view and the stroke code, from the controls at the moment of the call.
    int DrawingArea() const; // 3 both (1054), 1 only on paint (1055), 2 only on bare background (1056)
    int HeightMode() const;  // 1 on the paint (1057), 0 on the plane (1058)
    int PlaneHeight() const; // signed integer of field 1059, kept within ±PlaneHeightLimit
    int GridSpacing() const; // signed integer of field 1060; below 1 means no grid
    bool Snap() const;       // check box 1089
    QColor GridColour() const { return ToQColor(settings_.gridColour); }
    RgbBytes GridColourBytes() const { return settings_.gridColour; }
    CanvasDrawingSettings DrawingSettings() const override;

    // The background as last generated here or copied from the canvas; always the canvas's size.
    RasterImage& WorkingImage() { return settings_.workingImage; }
    const RasterImage& WorkingImage() const { return settings_.workingImage; }
    void SetWorkingImage(const RasterImage& image) { settings_.workingImage = image; }

    QColor SolidColour() const { return ToQColor(settings_.solidColour); }
    QColor GradientColour1() const { return ToQColor(settings_.gradientColour1); }
    QColor GradientColour2() const { return ToQColor(settings_.gradientColour2); }
    // The colour buttons: 1031 solid, 1032 gradient 1, 1033 gradient 2, 1034 grid.
    QColor ButtonColour(int id) const;

    // The generating commands with their notifications (101, then 1 on success, then 102).
    void GenerateSolid();
    void GenerateGradient();
    void GenerateRainbow();
    void LoadFromFile();
    void LoadFromClipboardCommand();
    // A left click at a point in the dialog's client coordinates: picks a preset grid colour.
    void PickSwatch(QPoint point);

    // Seams for the platform dialogs and the clipboard; tests replace them.
    std::function<QString()> chooseBitmapFile;                     // empty string: cancelled
    std::function<bool(QColor& colour)> chooseColour;              // false: cancelled
    std::function<ResultCode(RasterImage& picture)> readClipboard; // the picture on the clipboard
    std::function<void(const QString& text)> showMessage;          // message box owned by the dialog

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    static QColor ToQColor(const RgbBytes& c) { return QColor(c.red, c.green, c.blue); }
    void BuildControls();
    void Send(int wParam);
    void ChooseColour(int id);
    RgbBytes* ColourOf(int id);
    void SyncDirections();
    void FinishPicture(ResultCode code, const RasterImage& picture);
    void ShowCode(ResultCode code);
    bool IsChecked(const char* id) const;

    ViewMessageTarget* view_ = nullptr;
    BackgroundSettings settings_;
    ColorButtonGrid swatches_;
    PaintedFrame* swatchFrame_ = nullptr;
};
