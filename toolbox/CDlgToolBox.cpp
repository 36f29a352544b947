#include "toolbox/CDlgToolBox.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "brushes/RandomSource.h"
#include "brushes/ToolBoxBars.h"
#include "toolbox/BarValueTip.h"
#include "toolbox/CDlgColorButtonOperation.h"
#include "toolbox/CaptionGroupBox.h"
#include "toolbox/ColourImages.h"
#include "toolbox/DialogUnits.h"
#include "toolbox/KindButton.h"
#include "toolbox/PaintedFrame.h"
#include "toolbox/RasterImageQt.h"

namespace {

struct BrushButtonLayout {
    int id;
    int x;
    int y;
    BrushKind kind;
};

// Radial and Stipple have buttons that are never shown.
constexpr BrushButtonLayout BrushButtons[] = {
    {1064, 9, 15, BrushKind::Simple},         {1087, 31, 15, BrushKind::RainbowPattern},
    {1065, 53, 15, BrushKind::Heaped},        {1066, 75, 15, BrushKind::Spray},
    {1073, 107, 15, BrushKind::Eraser},       {1077, 129, 15, BrushKind::Recolour},
    {1068, 9, 33, BrushKind::Circle},         {1069, 31, 33, BrushKind::Rough},
    {1070, 53, 33, BrushKind::ParallelLines}, {1071, 75, 33, BrushKind::Bellows},
    {1085, 107, 33, BrushKind::Stir},         {1074, 129, 33, BrushKind::Eyedropper},
    {1067, 9, 51, BrushKind::Multi},          {1078, 31, 51, BrushKind::Faded},
    {1081, 53, 51, BrushKind::Watercolour},   {1072, 51, 0, BrushKind::Radial},
    {1086, 72, 0, BrushKind::Stipple},
};

struct PathButtonLayout {
    int id;
    int x;
    PathKind kind;
};

constexpr PathButtonLayout PathButtons[] = {
    {1060, 10, PathKind::Freehand},       {1061, 30, PathKind::StraightLine},
    {1062, 50, PathKind::Polyline},       {1083, 70, PathKind::Curve},
    {1084, 90, PathKind::RegularPolygon}, {1063, 110, PathKind::Circumference},
    {1082, 130, PathKind::Arc},
};

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

QColor ToQColor(const PaintColour& c) {
    return QColor(FloatToByte(c.red), FloatToByte(c.green), FloatToByte(c.blue));
}

} // namespace

CDlgToolBox::CDlgToolBox(ViewMessageTarget* view, QWidget* parent) : QDialog(parent) {
    setWindowTitle(Utf8("道具箱"));
    setModal(false);
    BuildControls();
    FitCaptions(*this);
    Initialise();
    // The view is known only once the window exists; nothing is sent during the initialisation.
    view_ = view;
}

CDlgToolBox::~CDlgToolBox() = default;

void CDlgToolBox::BuildControls() {
    const DialogUnits du(*this);
    setFixedSize(du.X(159), du.Y(285));

    auto group = [&](const char* id, const char* title, QRect where) {
        auto* box = new CaptionGroupBox(Utf8(title), this);
        if (id) {
            box->setObjectName(QString::fromLatin1(id));
        }
        box->setGeometry(where);
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        return box;
    };
    brushGroup_ = group("1076", "ブラシ", du.Rect(4, 3, 152, 111));
    group(nullptr, "絵の具", du.Rect(4, 117, 152, 116));
    pathGroup_ = group("1075", "経路", du.Rect(4, 238, 152, 44));

    auto label = [&](const char* id, const char* text, QRect where) {
        auto* l = new QLabel(Utf8(text), this);
        if (id) {
            l->setObjectName(QString::fromLatin1(id));
        }
        l->setGeometry(where);
        return l;
    };
    auto bar = [&](int id, QRect where) {
        auto* b = new QScrollBar(Qt::Horizontal, this);
        b->setObjectName(QString::number(id));
        b->setGeometry(where);
        b->setSingleStep(1);
        b->setPageStep(2);
        connect(b, &QScrollBar::valueChanged, this, [this, id](int position) { ApplyBar(id, position); });
        ShowValueInToolTip(b);
        return b;
    };
    // The size rows: one line each, the labels wide enough for "絵の具粒子サイズ", the bars beside them.
    label("1035", "ブラシサイズ", du.Rect(57, 74, 50, 8));
    bar(BrushSizeBar, du.Rect(108, 74, 41, 9));
    label("1040", "絵の具粒子サイズ", du.Rect(57, 86, 50, 8));
    bar(ParticleSizeBar, du.Rect(108, 86, 41, 9));
    label("1036", "密度", du.Rect(57, 98, 50, 8));
    bar(DensityBar, du.Rect(108, 98, 41, 9));
    label(nullptr, "透明度", du.Rect(53, 131, 20, 8));
    bar(TransparencyBar, du.Rect(102, 130, 46, 9));
    label(nullptr, "ハイライト強度", du.Rect(53, 141, 45, 8));
    bar(HighlightBar, du.Rect(102, 140, 46, 9));
    label(nullptr, "厚み", du.Rect(53, 152, 14, 8));
    bar(ThicknessBar, du.Rect(102, 151, 46, 9));
    label(nullptr, "ばらつき", du.Rect(12, 216, 26, 8));
    bar(VariationBar, du.Rect(41, 214, 55, 9));

    auto frame = [&](const char* id, QRect where) {
        auto* f = new PaintedFrame(QString::fromLatin1(id), this);
        f->setGeometry(where);
        return f;
    };
    shapeFrame_ = frame("1018", du.Rect(9, 72, 45, 37));
    sampleFrame_ = frame("1005", du.Rect(9, 129, 39, 33));
    swatch_ = frame("1006", du.Rect(9, 165, 39, 31));
    hueBar_ = frame("1007", du.Rect(49, 164, 74, 12));
    field_ = frame("1008", du.Rect(49, 177, 74, 34));
    lowerSwatch_ = frame("1010", du.Rect(9, 196, 18, 15));
    upperSwatch_ = frame("1011", du.Rect(29, 196, 18, 15));
    paletteFrame_ = frame("1079", du.Rect(124, 164, 27, 47));

    registerButton_ = new QPushButton(Utf8("登録"), this);
    registerButton_->setObjectName(QStringLiteral("1080"));
    registerButton_->setGeometry(du.Rect(123, 212, 28, 15));
    registerButton_->setAutoDefault(false);
    connect(registerButton_, &QPushButton::clicked, this, &CDlgToolBox::RegisterCurrentColour);

    // Pen pressure, in the paint group beside the thickness it scales.
    pressureBox_ = new QCheckBox(Utf8("筆圧"), this);
    pressureBox_->setObjectName(QStringLiteral("1089"));
    pressureBox_->setGeometry(du.Rect(70, 151, 31, 10));
    pressureBox_->setChecked(true);
    pressureBox_->setToolTip(Utf8("ペンの筆圧で絵の具の厚みを変える"));

    closeBox_ = new QCheckBox(Utf8("閉じる"), this);
    closeBox_->setObjectName(QStringLiteral("1088"));
    closeBox_->setGeometry(du.Rect(12, 270, 35, 10));

    for (const BrushButtonLayout& item : BrushButtons) {
        const int kind = static_cast<int>(item.kind);
        auto* b = new KindButton(kind, this);
        b->setObjectName(QString::number(item.id));
        b->setGeometry(du.Rect(item.x, item.y, 21, 18));
        connect(b, &QAbstractButton::clicked, this, [this, kind] { OnBrushButton(kind); });
        if (item.kind == BrushKind::Radial || item.kind == BrushKind::Stipple) {
            b->hide();
        }
        brushButtons_[static_cast<std::size_t>(kind)] = b;
    }
    for (const PathButtonLayout& item : PathButtons) {
        const int kind = static_cast<int>(item.kind);
        auto* b = new KindButton(kind, this);
        b->setObjectName(QString::number(item.id));
        b->setGeometry(du.Rect(item.x, 251, 20, 16));
        b->setCheckable(true);
        connect(b, &QAbstractButton::clicked, this, [this, kind] { OnPathButton(kind); });
        pathButtons_[static_cast<std::size_t>(kind)] = b;
    }

    shapeFrame_->SetPainter([this](QPainter& p) { p.drawImage(0, 0, ToQImage(shape_.Image())); });
    sampleFrame_->SetPainter([this](QPainter& p) { p.drawImage(0, 0, ToQImage(sample_.Image())); });
    swatch_->SetPainter([this](QPainter& p) {
        p.fillRect(swatch_->rect(),
                   ToolColourToQColor(currentColor_.hue, currentColor_.lightness, currentColor_.saturation));
    });
    auto variedSwatch = [this](PaintedFrame* frame, float sign) {
        frame->SetPainter([this, frame, sign](QPainter& p) {
            const float v = BarValue(VariationBar) / 100.0f;
            float hue = currentColor_.hue + sign * v;
            if (hue < 0.0f) {
                hue += 1.0f;
            }
            if (hue > 1.0f) {
                hue -= 1.0f;
            }
            p.fillRect(frame->rect(),
                       ToolColourToQColor(hue, currentColor_.lightness, currentColor_.saturation));
        });
    };
    variedSwatch(lowerSwatch_, -1.0f);
    variedSwatch(upperSwatch_, 1.0f);
    hueBar_->SetPainter([this](QPainter& p) {
        p.drawImage(0, 0, ToQImage(hueBarImage_));
        const float k = static_cast<float>(hueBar_->width()) / (HueMax - HueMin);
        const int x = static_cast<int>(k * currentColor_.hue - k * HueMin);
        float opposite = currentColor_.hue + 0.5f;
        if (opposite > 1.0f) {
            opposite -= 1.0f;
        }
        p.setPen(QPen(ToolColourToQColor(opposite, 0.5f, 1.0f), 3));
        p.drawLine(x, 1, x, hueBar_->height() - 2);
    });
    field_->SetPainter([this](QPainter& p) {
        p.setClipRect(field_->rect());
        p.drawImage(0, 0, ToQImage(fieldImage_));
        const float k = static_cast<float>(field_->width()) / 1.1f;
        const float g = static_cast<float>(field_->height()) / 1.1f;
        const int x = static_cast<int>(k * (currentColor_.lightness + 0.05f));
        const int y = field_->height() - static_cast<int>(g * (currentColor_.saturation + 0.05f));
        p.setPen(QPen(currentColor_.lightness < 0.5f ? Qt::white : Qt::black, 2));
        p.drawRect(QRect(QPoint(x - 4, y - 4), QPoint(x + 4, y + 4)));
    });
    paletteFrame_->SetPainter([this](QPainter& p) { palette_.Draw(p, paletteFrame_->height()); });
}

void CDlgToolBox::Initialise() {
    for (const PathButtonLayout& item : PathButtons) {
        pathButtons_[static_cast<std::size_t>(item.kind)]->setToolTip(Utf8(PathKindCaption(item.kind)));
    }
    for (const BrushButtonLayout& item : BrushButtons) {
        brushButtons_[static_cast<std::size_t>(item.kind)]->setToolTip(Utf8(BrushKindHint(item.kind)));
    }
    registerButton_->setToolTip(Utf8("現在の色を登録"));

    auto initBar = [this](int id, int low, int high, int position) {
        QScrollBar* b = Bar(id);
        const QSignalBlocker block(b);
        b->setRange(low, high);
        b->setValue(position);
    };
    initBar(TransparencyBar, 0, 100, 0);
    initBar(HighlightBar, 0, 100, 100);
    initBar(ThicknessBar, 0, 100, 100);
    initBar(DensityBar, 5, 100, 50);
    initBar(VariationBar, 0, 25, 0);

    currentColor_ = ToolColour{0.0f, 0.5f, 1.0f};
    BuildHueBar(hueBarImage_, hueBar_->width(), hueBar_->height());
    BuildLightnessSaturationField(fieldImage_, field_->width(), field_->height(), currentColor_.hue);

    sample_.Prepare(sampleFrame_->width(), sampleFrame_->height());
    shape_.Create(shapeFrame_->width(), shapeFrame_->height());

    for (int k = 0; k < BrushKindCount; ++k) {
        brushes_[static_cast<std::size_t>(k)] = BrushSettings::ForKind(static_cast<BrushKind>(k));
    }

    for (int k = 0; k < BrushKindCount - 1; ++k) {
        RasterImage bitmap;
        ResultCode code = BrushFacePicture(static_cast<BrushKind>(k), bitmap);
        if (code == Result::Success) {
            code = brushFaces_[static_cast<std::size_t>(k)].Build(bitmap);
        }
        if (code != Result::Success) {
            ShowMessage(Utf8(ResultMessage(code) ? ResultMessage(code) : ""));
            return;
        }
        brushButtons_[static_cast<std::size_t>(k)]->SetFaces(brushFaces_[static_cast<std::size_t>(k)]);
    }
    initialised_ = true;
    SelectBrushKind(0);

    for (int k = 0; k < PathKindCount; ++k) {
        RasterImage bitmap;
        ResultCode code = PathFacePicture(static_cast<PathKind>(k), bitmap);
        if (code == Result::Success) {
            code = pathFaces_[static_cast<std::size_t>(k)].Build(bitmap);
        }
        if (code != Result::Success) {
            ShowMessage(Utf8(ResultMessage(code) ? ResultMessage(code) : ""));
            return;
        }
        pathButtons_[static_cast<std::size_t>(k)]->SetFaces(pathFaces_[static_cast<std::size_t>(k)]);
    }
    SelectPathKind(0);

    palette_.Build(paletteFrame_->width(), paletteFrame_->height(), 8, 3);
    FillDefaultPalette(palette_);

    QTimer::singleShot(100, this, [this] {
        DrawBrushShape();
        update();
    });
}

void CDlgToolBox::FillDefaultPalette(ColorButtonGrid& palette) {
    struct Rgb {
        float r, g, b;
    };
    static constexpr Rgb column0[8] = {{1, 0, 0.5f}, {0.75f, 0, 1}, {0, 0, 1},    {0, 1, 1},
                                       {0, 1, 0},    {1, 1, 0},     {1, 0.5f, 0}, {1, 0, 0}};
    for (int row = 0; row < 8 && palette.Contains(row, 0); ++row) {
        ColorButton& cell = palette.Cell(row, 0);
        const ToolColour c = ToolColourFromRgb(column0[row].r, column0[row].g, column0[row].b);
        cell.used = 1;
        cell.hue = c.hue;
        cell.lightness = c.lightness;
        cell.saturation = c.saturation;
    }
    static constexpr float greys[4] = {1.0f, 0.75f, 0.5f, 0.0f}; // rows 4 to 7
    for (int i = 0; i < 4 && palette.Contains(4 + i, 1); ++i) {
        ColorButton& cell = palette.Cell(4 + i, 1);
        cell.used = 1;
        cell.hue = 0.0f;
        cell.lightness = greys[i];
        cell.saturation = 0.0f;
    }
}

QScrollBar* CDlgToolBox::Bar(int id) const {
    return findChild<QScrollBar*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

float CDlgToolBox::BarValue(int id) const {
    const QScrollBar* b = Bar(id);
    return b ? static_cast<float>(b->value()) : 0.0f;
}

void CDlgToolBox::Send(int wParam, int lParam) {
    if (view_) {
        view_->OnToolBoxMessage(wParam, lParam);
    }
}

void CDlgToolBox::ShowMessage(const QString& text) {
    if (showMessage) {
        showMessage(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, Utf8("ヌリモコ"), text, QMessageBox::Ok, this);
    box.exec();
}

void CDlgToolBox::SelectBrushKind(int kind) {
    if (kind < 0 || kind >= BrushKindCount) {
        return;
    }
    brushKind_ = kind;
    const auto k = static_cast<BrushKind>(kind);
    brushGroup_->setTitle(Utf8("ブラシ （") + Utf8(BrushKindCaption(k)) + Utf8("）"));

    const KindBars& bars = BarsByKind[kind];
    struct Row {
        const char* label;
        int bar;
        bool shown;
    };
    for (const Row& row : {Row{"1035", BrushSizeBar, bars.brushSize}, Row{"1036", DensityBar, bars.density},
                           Row{"1040", ParticleSizeBar, bars.particleSize}}) {
        findChild<QLabel*>(QString::fromLatin1(row.label))->setVisible(row.shown);
        Bar(row.bar)->setVisible(row.shown);
    }

    // Moving the bars here only shows the kind's own values; nothing is written back.
    const BrushSettings& b = brushes_[static_cast<std::size_t>(kind)];
    auto setBar = [this](int id, int low, int high, int position) {
        QScrollBar* bar = Bar(id);
        const QSignalBlocker block(bar);
        if (low <= high) {
            bar->setRange(low, high);
        }
        bar->setValue(position);
    };
    setBar(BrushSizeBar, bars.brushMin, bars.brushMax, static_cast<int>(b.brushSize));
    setBar(ParticleSizeBar, bars.particleMin, bars.particleMax,
           static_cast<int>(b.particle.innerRadius * 10.0f + 0.5f));
    setBar(DensityBar, 5, 100, static_cast<int>(b.density * 100.0f));
    setBar(TransparencyBar, 0, 100, static_cast<int>(b.particle.transparency * 100.0f));
    setBar(HighlightBar, 0, 100, static_cast<int>(b.particle.highlight * 100.0f));
    setBar(ThicknessBar, 0, 100, static_cast<int>(b.particle.thickness * 100.0f));

    for (KindButton* button : brushButtons_) {
        button->SetCurrent(button->Kind() == kind);
    }
    if (initialised_) {
        sample_.Prepare(sampleFrame_->width(), sampleFrame_->height());
        RenderSample();
        DrawBrushShape();
    }
    Send(ToolBoxBrushKindChosen, kind);
}

void CDlgToolBox::SelectPathKind(int kind) {
    if (kind < 0 || kind >= PathKindCount) {
        return;
    }
    pathKind_ = kind;
    pathGroup_->setTitle(Utf8("経路 （") + Utf8(PathKindCaption(static_cast<PathKind>(kind))) + Utf8("）"));
    closeBox_->setVisible(kind == static_cast<int>(PathKind::Polyline) ||
                          kind == static_cast<int>(PathKind::Curve));
    for (KindButton* button : pathButtons_) {
        button->SetCurrent(button->Kind() == kind);
    }
    Send(ToolBoxPathKindChosen, kind);
}

void CDlgToolBox::OnBrushButton(int kind) {
    for (KindButton* button : pathButtons_) {
        button->show();
    }
    SelectBrushKind(kind);
    Send(ToolBoxIgnored, 0);
    if (kind == static_cast<int>(BrushKind::Eyedropper) || kind == static_cast<int>(BrushKind::Stir)) {
        for (KindButton* button : pathButtons_) {
            const bool freehand = button->Kind() == static_cast<int>(PathKind::Freehand);
            button->setChecked(freehand);
            button->setVisible(freehand);
        }
        SelectPathKind(static_cast<int>(PathKind::Freehand));
    }
}

void CDlgToolBox::OnPathButton(int kind) {
    SelectPathKind(kind);
    update();
}

void CDlgToolBox::ApplyBar(int id, int position) {
    BrushSettings& b = brushes_[static_cast<std::size_t>(brushKind_)];
    switch (id) {
    case BrushSizeBar:
        b.brushSize = static_cast<float>(position);
        break;
    case DensityBar:
        b.density = static_cast<float>(position) / 100.0f;
        break;
    case ParticleSizeBar: {
        const float inner = static_cast<float>(position) / 10.0f;
        // The outer radius keeps its ratio to the inner one and never falls below it.
        float outer =
            b.particle.innerRadius > 0.0f ? b.particle.outerRadius * inner / b.particle.innerRadius : inner;
        if (outer < inner) {
            outer = inner;
        }
        b.particle.innerRadius = inner;
        b.particle.outerRadius = outer;
        b.particle.outerRadiusSq = outer * outer;
        break;
    }
    case ThicknessBar:
        b.particle.thickness = static_cast<float>(position) / 100.0f;
        break;
    case TransparencyBar:
        b.particle.transparency = static_cast<float>(position) / 100.0f;
        break;
    case HighlightBar:
        b.particle.highlight = static_cast<float>(position) / 100.0f;
        break;
    default:
        break;
    }
    switch (id) {
    case BrushSizeBar:
    case ParticleSizeBar:
        DrawBrushShape();
        Send(ToolBoxSizeBarMoved, 0);
        break;
    case DensityBar:
        DrawBrushShape();
        break;
    case ThicknessBar:
    case TransparencyBar:
    case HighlightBar:
        RenderSample();
        break;
    case VariationBar:
        lowerSwatch_->update();
        upperSwatch_->update();
        break;
    default:
        break;
    }
}

BrushSettings CDlgToolBox::CurrentBrush() {
    BrushSettings copy = brushes_[static_cast<std::size_t>(brushKind_)];
    const float v = BarValue(VariationBar) / 100.0f;
    const float u = static_cast<float>(ProgramRandom().Draw());
    float hue = currentColor_.hue + v * (2.0f * u - 1.0f);
    if (hue < 0.0f) {
        hue += 1.0f;
    }
    if (hue > 1.0f) {
        hue -= 1.0f;
    }
    const PaintColour rgb = ToolColourToRgb(hue, currentColor_.lightness, currentColor_.saturation);
    copy.particle.red = rgb.red;
    copy.particle.green = rgb.green;
    copy.particle.blue = rgb.blue;
    copy.pathKind = PathKindFromInt(pathKind_);
    const bool closable =
        pathKind_ == static_cast<int>(PathKind::Polyline) || pathKind_ == static_cast<int>(PathKind::Curve);
    copy.closed = closable && closeBox_->isChecked() ? 1 : 0;
    return copy;
}

bool CDlgToolBox::PenPressureEnabled() const {
    return pressureBox_->isChecked();
}

void CDlgToolBox::SetPenPressureEnabled(bool on) {
    pressureBox_->setChecked(on);
}

void CDlgToolBox::SetCurrentColour(float hue, float lightness, float saturation) {
    SetCurrentColor(ToolColour{hue, lightness, saturation});
}

void CDlgToolBox::SetCurrentColor(const ToolColour& colour) {
    const bool hueChanged = colour.hue != currentColor_.hue;
    currentColor_ = colour;
    if (hueChanged || fieldImage_.IsEmpty()) {
        BuildLightnessSaturationField(fieldImage_, field_->width(), field_->height(), currentColor_.hue);
    }
    RedrawColourControls();
    DrawBrushShape();
}

void CDlgToolBox::RedrawColourControls() {
    RenderSample();
    hueBar_->update();
    field_->update();
    swatch_->update();
    lowerSwatch_->update();
    upperSwatch_->update();
}

void CDlgToolBox::RenderSample() {
    sample_.Render(currentColor_, BarValue(TransparencyBar) / 100.0f, BarValue(HighlightBar) / 100.0f,
                   BarValue(ThicknessBar) / 100.0f);
    sampleFrame_->update();
}

void CDlgToolBox::DrawBrushShape() {
    const ResultCode code = shape_.Draw(CurrentBrush());
    if (code != Result::Success) {
        if (const char* text = ResultMessage(code)) {
            ShowMessage(Utf8(text));
        }
        return;
    }
    shapeFrame_->update();
}

void CDlgToolBox::PickAt(QPoint point) {
    auto fractions = [point](const QWidget* control, float& fx, float& fy) {
        const QPoint local = control->mapFrom(control->parentWidget(), point);
        fx = static_cast<float>(local.x()) / static_cast<float>(control->width());
        fy = static_cast<float>(local.y()) / static_cast<float>(control->height());
        return fx >= 0.0f && fx <= 1.0f && fy >= 0.0f && fy <= 1.0f;
    };
    float fx = 0.0f;
    float fy = 0.0f;
    if (fractions(hueBar_, fx, fy)) {
        ToolColour c = currentColor_;
        c.hue = std::clamp(HueMin + (HueMax - HueMin) * fx, 0.0f, 1.0f);
        SetCurrentColor(c);
    } else if (fractions(field_, fx, fy)) {
        ToolColour c = currentColor_;
        c.lightness = std::clamp(-0.05f + 1.1f * fx, 0.0f, 1.0f);
        c.saturation = std::clamp(-0.05f + 1.1f * (1.0f - fy), 0.0f, 1.0f);
        SetCurrentColor(c);
    }
    const QPoint local = paletteFrame_->mapFrom(this, point);
    if (local.x() >= 0 && local.x() <= paletteFrame_->width() && local.y() >= 0 &&
        local.y() <= paletteFrame_->height()) {
        if (const std::optional<GridCell> hit = palette_.HitTest(local.x(), local.y())) {
            const ColorButton& cell = palette_.Cell(hit->row, hit->column);
            if (cell.used) {
                SetCurrentColor(ToolColour{cell.hue, cell.lightness, cell.saturation});
            }
        }
    }
}

void CDlgToolBox::RegisterCurrentColour() {
    for (const GridCell& at : palette_.KeyOrder()) {
        ColorButton& cell = palette_.Cell(at.row, at.column);
        if (!cell.used) {
            cell.used = 1;
            cell.hue = currentColor_.hue;
            cell.lightness = currentColor_.lightness;
            cell.saturation = currentColor_.saturation;
            update();
            paletteFrame_->update();
            return;
        }
    }
    ShowMessage(
        Utf8("登録できる色数が一杯になりました。\n色枠をマウス右クリックして、色を削除してください。\n"
             "または、shift+マウス右クリックで色を登録してください。"));
    update();
}

void CDlgToolBox::PaletteRightClick(QPoint local, bool shift) {
    if (local.x() < 0 || local.x() > paletteFrame_->width() || local.y() < 0 ||
        local.y() > paletteFrame_->height()) {
        return;
    }
    const std::optional<GridCell> hit = palette_.HitTest(local.x(), local.y());
    if (!hit) {
        return;
    }
    ColorButton& cell = palette_.Cell(hit->row, hit->column);
    auto fill = [this, &cell] {
        cell.used = 1;
        cell.hue = currentColor_.hue;
        cell.lightness = currentColor_.lightness;
        cell.saturation = currentColor_.saturation;
    };
    if (shift) {
        fill();
        update();
        paletteFrame_->update();
        return;
    }
    cell.selected = 1;
    paletteFrame_->repaint();
    int outcome = CDlgColorButtonOperation::Cancel;
    if (askCellOperation) {
        outcome = askCellOperation(cell.used);
    } else {
        CDlgColorButtonOperation popup(cell.used, this);
        popup.move(mapToGlobal(paletteFrame_->geometry().topLeft() + local));
        popup.exec();
        outcome = popup.result;
    }
    // The grid may not move while the popup is open, but the cell is looked up again to be safe.
    ColorButton& after = palette_.Cell(hit->row, hit->column);
    if (outcome == CDlgColorButtonOperation::Register) {
        fill();
    } else if (outcome == CDlgColorButtonOperation::Delete) {
        after.used = 0;
    }
    after.selected = 0;
    update();
    paletteFrame_->update();
}

void CDlgToolBox::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        PickAt(point);
    } else if (event->button() == Qt::RightButton) {
        PaletteRightClick(paletteFrame_->mapFrom(this, point),
                          event->modifiers().testFlag(Qt::ShiftModifier));
    }
    QDialog::mousePressEvent(event);
}

void CDlgToolBox::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() == Qt::LeftButton) {
        PickAt(event->position().toPoint());
    }
    QDialog::mouseMoveEvent(event);
}

void CDlgToolBox::closeEvent(QCloseEvent* event) {
    // The close box only puts the tool box away; the view's menu brings it back.
    event->ignore();
    hide();
}

void CDlgToolBox::reject() {
    // Esc hides the window alone; minimising it would take the main window down with it.
    hide();
}
