#pragma once
// The modeless tool window "道具箱": brush kind, path kind, brush and paint bars, colour and palette,
// and the two live previews. The canvas view takes its brush from here at every stroke start.

#include <QDialog>
#include <array>
#include <memory>

#include "app/ViewMessages.h"
#include "brushes/BrushSettings.h"
#include "toolbox/ColorButtonGrid.h"
#include "toolbox/HlsColour.h"

class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QTimer;
class CDlgToolBoxPrivate;

class CDlgToolBox : public QDialog {
    Q_OBJECT
public:
    static constexpr int BrushKindCount = 18;

    CDlgToolBox(ViewMessageTarget* view, QWidget* parent);
    ~CDlgToolBox() override;

    // The receiver of the tool-box messages; nothing is sent while it is null.
    void SetView(ViewMessageTarget* view) { view_ = view; }

    // A deep copy of the selected kind's settings with the current colour (hue varied at random by the
    // "ばらつき" bar), the path kind and the "閉じる" state applied.
    BrushSettings CurrentBrush();

    int SelectedBrushKind() const { return brushKind_; }
    int SelectedPathKind() const { return pathKind_; }
    HlsColour CurrentColor() const { return currentColor_; }
    // Sets the colour being painted (the eyedropper uses it) and redraws the colour controls and previews.
    void SetCurrentColor(const HlsColour& colour);

    // The palette of 8 rows × 3 columns; the settings file reads and writes its cells.
    ColorButtonGrid& Palette() { return palette_; }

    // Selections as the buttons make them (also used at start-up).
    void SelectBrushKind(int kind);
    void SelectPathKind(int kind);
    // A click on a brush-kind button: shows the path buttons, selects, forces freehand for the
    // eyedropper and the stir tool.
    void OnBrushButton(int kind);
    void OnPathButton(int kind);
    // The register button "登録".
    void RegisterCurrentColour();

    // The settings record of one kind (read-only view for the previews and tests).
    const BrushSettings& Brush(int kind) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void Send(int wParam, int lParam);

    ViewMessageTarget* view_ = nullptr;
    int brushKind_ = 0;
    int pathKind_ = 0;
    HlsColour currentColor_{0.0f, 0.5f, 1.0f};
    ColorButtonGrid palette_;
    std::unique_ptr<CDlgToolBoxPrivate> d_;
};
