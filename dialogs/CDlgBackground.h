#pragma once
// The modeless canvas dialog "キャンバス": background generation, drawing area, drawing height and the
// grid. It never touches the canvas; it fills its working picture and notifies the view.

#include <QColor>
#include <QDialog>
#include <functional>

#include "app/ViewMessages.h"
#include "engine/ResultCode.h"
#include "persistence/RasterImage.h"
#include "toolbox/ColorButtonGrid.h"

class QAbstractButton;
class QLineEdit;

class CDlgBackground : public QDialog {
    Q_OBJECT
public:
    CDlgBackground(ViewMessageTarget* view, QWidget* parent);
    ~CDlgBackground() override;

    // Settings read by the view and the stroke code.
    int DrawingArea() const; // 3 both, 1 only on paint, 2 only on bare background
    int HeightMode() const;  // 1 on the paint, 0 on the plane
    int PlaneHeight() const; // signed integer of field 1059
    int GridSpacing() const; // signed integer of field 1060
    bool Snap() const;       // check box 1089
    QColor GridColour() const { return gridColour_; }

    // The background as last generated here or copied from the canvas; always the canvas's size.
    RasterImage& WorkingImage() { return workingImage_; }
    const RasterImage& WorkingImage() const { return workingImage_; }
    void SetWorkingImage(const RasterImage& image) { workingImage_ = image; }

    QColor SolidColour() const { return solidColour_; }
    QColor GradientColour1() const { return gradientColour1_; }
    QColor GradientColour2() const { return gradientColour2_; }

    // The generating commands with their notifications (101, then 1 on success, then 102).
    void GenerateSolid();
    void GenerateGradient();
    void GenerateRainbow();
    void LoadFromFile();
    void LoadFromClipboardCommand();

    // Seams for the platform dialogs and the clipboard; tests replace them.
    std::function<QString()> chooseBitmapFile;                     // empty string: cancelled
    std::function<bool(QColor& colour)> chooseColour;              // false: cancelled
    std::function<ResultCode(RasterImage& picture)> readClipboard; // the picture on the clipboard
    std::function<void(const QString& text)> showMessage;          // message box owned by the dialog

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void Send(int wParam);
    void ChooseColour(QColor& colour, QAbstractButton* button);
    void FillFromPicture(ResultCode loadCode, RasterImage& picture);

    ViewMessageTarget* view_ = nullptr;
    RasterImage workingImage_;
    QColor solidColour_{255, 255, 255};
    QColor gradientColour1_{0, 200, 255};
    QColor gradientColour2_{255, 255, 255};
    QColor gridColour_{128, 128, 128};
    ColorButtonGrid swatches_;
};
