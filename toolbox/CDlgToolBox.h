#pragma once
// The modeless tool window "道具箱": brush kind, path kind, brush and paint bars, colour and palette,
// and the two live previews. The canvas view takes its brush from here at every stroke start.

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

#include "app/ViewMessages.h"
#include "brushes/BrushSettings.h"
#include "brushes/StrokeServices.h"
#include "toolbox/BrushPreview.h"
#include "toolbox/ButtonFaces.h"
#include "toolbox/ColorButtonGrid.h"
#include "toolbox/ToolColour.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;
class KindButton;
class PaintedFrame;

class CDlgToolBox : public QDialog, public BrushSource {
    Q_OBJECT
public:
    // Control ids of the bars.
    enum BarId {
        ParticleSizeBar = 1002,
        ThicknessBar = 1003,
        TransparencyBar = 1004,
        VariationBar = 1009,
        HighlightBar = 1012,
        BrushSizeBar = 1026,
        DensityBar = 1027,
    };

    CDlgToolBox(ViewMessageTarget* view, QWidget* parent);
    ~CDlgToolBox() override;

    // The receiver of the tool-box messages; nothing is sent while it is null.
    void SetView(ViewMessageTarget* view) { view_ = view; }

    // A deep copy of the selected kind's settings with the current colour (hue varied at random by the
    // "ばらつき" bar), the path kind and the "閉じる" state applied.
    BrushSettings CurrentBrush() override;
    // The eyedropper: makes the colour current and redraws the colour controls and the previews.
    void SetCurrentColour(float hue, float lightness, float saturation) override;

    int SelectedBrushKind() const { return brushKind_; }
    int SelectedPathKind() const { return pathKind_; }
    ToolColour CurrentColor() const { return currentColor_; }
    void SetCurrentColor(const ToolColour& colour);

    // The check box "筆圧": a pen's pressure shapes its freehand dabs. On after start; the settings file
    // remembers it.
    bool PenPressureEnabled() const;
    void SetPenPressureEnabled(bool on);

    // The palette of 8 rows × 3 columns; the settings file reads and writes its cells.
    ColorButtonGrid& Palette() { return palette_; }

    // Selections as the buttons make them (also used at start-up).
    void SelectBrushKind(int kind);
    void SelectPathKind(int kind);
    // A click on a brush-kind button: shows the path buttons, selects, and forces freehand for the
    // eyedropper and the stir tool.
    void OnBrushButton(int kind);
    // A click on a path-kind button.
    void OnPathButton(int kind);
    // The register button "登録": the first empty cell, columns left to right, rows from the top.
    void RegisterCurrentColour();
    // A right click on the palette at a point in the palette's client coordinates.
    void PaletteRightClick(QPoint point, bool shift);
    // A left press or move at a point in the dialog's client coordinates: picks from the hue bar, the
    // field or the palette.
    void PickAt(QPoint point);

    // The settings record of one kind.
    const BrushSettings& Brush(int kind) const { return brushes_[static_cast<std::size_t>(kind)]; }
    // A bar by its id.
    QScrollBar* Bar(int id) const;
    // The pictures of the previews as last drawn.
    const RasterImage& ShapeImage() const { return shape_.Image(); }
    const RasterImage& SampleImage() const { return sample_.Image(); }

    // Seams for the modal parts; tests replace them. `askCellOperation` gets the cell's used flag and
    // returns 1 register, 2 delete, 0 cancel.
    std::function<int(int hasColour)> askCellOperation;
    std::function<void(const QString& text)> showMessage;

    // The palette's default colours.
    static void FillDefaultPalette(ColorButtonGrid& palette);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void BuildControls();
    void Initialise();
    void ApplyBar(int id, int position);
    void RedrawColourControls();
    void RenderSample();
    void DrawBrushShape();
    void Send(int wParam, int lParam);
    void ShowMessage(const QString& text);
    float BarValue(int id) const;

    ViewMessageTarget* view_ = nullptr;
    int brushKind_ = 0;
    int pathKind_ = 0;
    ToolColour currentColor_{0.0f, 0.5f, 1.0f};
    std::array<BrushSettings, BrushKindCount> brushes_;
    ColorButtonGrid palette_;
    RasterImage hueBarImage_;
    RasterImage fieldImage_;
    PaintSample sample_;
    BrushShapePreview shape_;
    bool initialised_ = false;

    QGroupBox* brushGroup_ = nullptr;
    QGroupBox* pathGroup_ = nullptr;
    QCheckBox* closeBox_ = nullptr;
    QCheckBox* pressureBox_ = nullptr;
    QPushButton* registerButton_ = nullptr;
    std::array<KindButton*, BrushKindCount - 1> brushButtons_{};
    std::array<KindButton*, PathKindCount> pathButtons_{};
    std::array<ButtonImagePair, BrushKindCount - 1> brushFaces_;
    std::array<ButtonImagePair, PathKindCount> pathFaces_;
    PaintedFrame* shapeFrame_ = nullptr;
    PaintedFrame* sampleFrame_ = nullptr;
    PaintedFrame* swatch_ = nullptr;
    PaintedFrame* hueBar_ = nullptr;
    PaintedFrame* field_ = nullptr;
    PaintedFrame* lowerSwatch_ = nullptr;
    PaintedFrame* upperSwatch_ = nullptr;
    PaintedFrame* paletteFrame_ = nullptr;
};
