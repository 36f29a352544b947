#include "dialogs/CDlgBackground.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QFileDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

#include "persistence/Bmp.h"
#include "persistence/PictureFile.h"
#include "toolbox/CaptionGroupBox.h"
#include "toolbox/DialogUnits.h"
#include "toolbox/PaintedFrame.h"
#include "toolbox/RasterImageQt.h"
#include "toolbox/ToolColour.h"

namespace {

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

// An owner-drawn colour button: its whole face is its colour.
class ColourButton : public QAbstractButton {
public:
    ColourButton(std::function<QColor()> colour, QWidget* parent)
        : QAbstractButton(parent), colour_(std::move(colour)) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), colour_());
    }

private:
    std::function<QColor()> colour_;
};

// A direction radio of the gradient and rainbow rows, drawn as a small toggle button with its arrow in the
// middle. The whole box takes the click, and the boxes stand apart, so each arrow is easy to aim at; the
// usual indicator with the arrow beside it made "→○←" read as if the circle belonged to the next arrow.
class DirectionRadio : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

    QSize sizeHint() const override {
        const QFontMetrics metrics(font());
        return QSize(metrics.horizontalAdvance(text()) + 8, metrics.height());
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        option.initFrom(this);
        option.text = text();
        option.state |= isChecked() ? QStyle::State_On : QStyle::State_Off;
        if (isDown() || isChecked()) {
            option.state |= QStyle::State_Sunken;
        } else {
            option.state |= QStyle::State_Raised;
        }
        painter.drawControl(QStyle::CE_PushButton, option);
    }
};

// The clipboard's picture; -31 when it holds none.
ResultCode ReadSystemClipboard(RasterImage& picture) {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) {
        return Result::GeneralError;
    }
    return FromQImage(clipboard->image(), picture);
}

// Whole numbers from -limit to limit: a keystroke that would leave the range is refused.
class BoundedIntValidator : public QValidator {
public:
    BoundedIntValidator(int limit, QObject* parent) : QValidator(parent), limit_(limit) {}

    State validate(QString& input, int&) const override {
        static const QRegularExpression pattern(QStringLiteral("\\A-?\\d*\\z"));
        if (!pattern.match(input).hasMatch()) {
            return Invalid;
        }
        if (input.isEmpty() || input == QStringLiteral("-")) {
            return Intermediate;
        }
        bool ok = false;
        const qlonglong value = input.toLongLong(&ok);
        return ok && value >= -limit_ && value <= limit_ ? Acceptable : Invalid;
    }

private:
    int limit_;
};

} // namespace

CDlgBackground::CDlgBackground(ViewMessageTarget* view, QWidget* parent) : QDialog(parent), view_(view) {
    setWindowTitle(Utf8("キャンバス"));
    setModal(false);
    BuildControls();
    FitCaptions(*this);
}

CDlgBackground::~CDlgBackground() = default;

void CDlgBackground::BuildControls() {
    const DialogUnits du(*this);
    setFixedSize(du.X(184), du.Y(208));

    auto group = [&](const char* title, QRect where) {
        auto* box = new CaptionGroupBox(Utf8(title), this);
        box->setGeometry(where);
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
    };
    group("背景", du.Rect(88, 2, 90, 188));
    group("描画領域", du.Rect(5, 2, 78, 64));
    group("描画の高さ", du.Rect(5, 70, 78, 47));
    group("グリッド", du.Rect(5, 123, 78, 81));

    auto label = [&](const char* text, QRect where) {
        auto* l = new QLabel(Utf8(text), this);
        l->setGeometry(where);
    };
    auto push = [&](const char* id, const char* text, QRect where, void (CDlgBackground::*handler)()) {
        auto* b = new QPushButton(Utf8(text), this);
        b->setObjectName(QString::fromLatin1(id));
        b->setGeometry(where);
        b->setAutoDefault(false);
        if (handler) {
            connect(b, &QPushButton::clicked, this, handler);
        }
        return b;
    };
    auto colourButton = [&](int id, const char* text, QRect where) {
        auto* b = new ColourButton([this, id] { return ButtonColour(id); }, this);
        b->setObjectName(QString::number(id));
        b->setText(Utf8(text));
        b->setGeometry(where);
        connect(b, &QAbstractButton::clicked, this, [this, id] { ChooseColour(id); });
    };
    auto radioSet = [&](std::initializer_list<std::tuple<int, const char*, QRect>> radios) {
        auto* set = new QButtonGroup(this);
        set->setExclusive(true);
        for (const auto& [id, text, where] : radios) {
            auto* r = new QRadioButton(Utf8(text), this);
            r->setObjectName(QString::number(id));
            r->setGeometry(where);
            set->addButton(r, id);
        }
        return set;
    };

    push("1039", "単色", du.Rect(93, 13, 56, 22), &CDlgBackground::GenerateSolid);
    colourButton(1031, "単色", du.Rect(151, 18, 22, 15));
    push("1040", "グラデーション", du.Rect(93, 44, 56, 23), &CDlgBackground::GenerateGradient);
    label("色１", du.Rect(95, 73, 14, 8));
    colourButton(1032, "gra1", du.Rect(108, 69, 24, 16));
    colourButton(1033, "gra2", du.Rect(134, 69, 24, 16));
    label("色２", du.Rect(160, 74, 14, 8));
    // The two direction rows: four boxes of the same width with a gap between them.
    auto directions = [&](int y, std::initializer_list<std::pair<int, const char*>> arrows) {
        auto* set = new QButtonGroup(this);
        set->setExclusive(true);
        int x = 93;
        for (const auto& [id, text] : arrows) {
            auto* r = new DirectionRadio(Utf8(text), this);
            r->setObjectName(QString::number(id));
            r->setGeometry(du.Rect(x, y, 19, 10));
            set->addButton(r, id);
            x += 21;
        }
    };
    directions(86, {{1050, "↓"}, {1051, "↑"}, {1053, "→"}, {1052, "←"}});
    push("1042", "虹色", du.Rect(93, 102, 56, 22), &CDlgBackground::GenerateRainbow);
    directions(125, {{1043, "↓"}, {1044, "↑"}, {1046, "→"}, {1045, "←"}});
    push("1036", "画像ファイル\nから", du.Rect(93, 141, 56, 21), &CDlgBackground::LoadFromFile);
    push("1037", "クリップボード\nから", du.Rect(93, 163, 56, 21), &CDlgBackground::LoadFromClipboardCommand);

    radioSet({{1054, "前景＋背景", du.Rect(12, 13, 50, 10)},
              {1055, "前景", du.Rect(12, 22, 30, 10)},
              {1056, "背景", du.Rect(12, 31, 30, 10)}});
    label("前景：絵の具のある領域", du.Rect(9, 45, 70, 8));
    label("背景：絵の具のない領域", du.Rect(9, 54, 70, 8));

    QButtonGroup* height =
        radioSet({{1057, "絵の具の上", du.Rect(12, 80, 48, 10)}, {1058, "平面上", du.Rect(12, 89, 37, 10)}});
    connect(height, &QButtonGroup::idClicked, this, [this](int) { Send(CanvasHeightRadioChanged); });
    label("高さ（Z値）", du.Rect(22, 100, 36, 8));
    // Signed numbers of up to nine digits, or within ±limit when a limit is given.
    auto field = [&](const char* id, QRect where, int value, int limit) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(id));
        edit->setGeometry(where);
        edit->setAlignment(Qt::AlignCenter);
        if (limit > 0) {
            edit->setValidator(new BoundedIntValidator(limit, edit));
        } else {
            edit->setValidator(
                new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?\\d{0,9}")), edit));
        }
        edit->setText(QString::number(value));
    };
    field("1059", du.Rect(60, 99, 18, 12), 0, PlaneHeightLimit);

    push("1041", "表示", du.Rect(11, 133, 32, 19), nullptr);
    push("1061", "消去", du.Rect(46, 133, 32, 19), nullptr);
    label("間隔", du.Rect(13, 158, 14, 8));
    field("1060", du.Rect(30, 155, 17, 12), 15, 0);
    label("色", du.Rect(13, 174, 8, 8));
    colourButton(1034, "色", du.Rect(22, 171, 20, 15));
    swatchFrame_ = new PaintedFrame(QStringLiteral("1092"), this);
    swatchFrame_->setGeometry(du.Rect(42, 170, 37, 16));
    swatchFrame_->SetPainter([this](QPainter& p) { swatches_.Draw(p, swatchFrame_->height()); });
    auto* snap = new QCheckBox(Utf8("グリッドにスナップ"), this);
    snap->setObjectName(QStringLiteral("1089"));
    snap->setGeometry(du.Rect(11, 189, 69, 10));

    connect(findChild<QPushButton*>(QStringLiteral("1041")), &QPushButton::clicked, this,
            [this] { Send(CanvasGridOn); });
    connect(findChild<QPushButton*>(QStringLiteral("1061")), &QPushButton::clicked, this,
            [this] { Send(CanvasGridOff); });
    connect(snap, &QCheckBox::clicked, this, [this] { Send(CanvasSnapChanged); });

    // Initial states.
    for (const char* id : {"1054", "1057", "1050", "1043"}) {
        findChild<QRadioButton*>(QString::fromLatin1(id))->setChecked(true);
    }
    snap->setChecked(true);
    swatches_.Build(swatchFrame_->width(), swatchFrame_->height(), 2, 5);
    for (int j = 0; j < 5; ++j) {
        ColorButton& hue = swatches_.Cell(0, j);
        hue.used = 1;
        hue.hue = 0.2f * static_cast<float>(j);
        hue.lightness = 0.5f;
        hue.saturation = 1.0f;
        ColorButton& grey = swatches_.Cell(1, j);
        grey.used = 1;
        grey.hue = 0.0f;
        grey.lightness = 0.25f * static_cast<float>(j);
        grey.saturation = 0.0f;
    }
}

bool CDlgBackground::IsChecked(const char* id) const {
    const auto* button = findChild<QAbstractButton*>(QString::fromLatin1(id));
    return button && button->isChecked();
}

int CDlgBackground::DrawingArea() const {
    if (IsChecked("1054")) {
        return 3;
    }
    if (IsChecked("1055")) {
        return 1;
    }
    return 2;
}

int CDlgBackground::HeightMode() const {
    return IsChecked("1057") ? 1 : 0;
}

int CDlgBackground::PlaneHeight() const {
    // Text put in by the program is not validated; it is held to the range all the same.
    const int value = findChild<QLineEdit*>(QStringLiteral("1059"))->text().toInt();
    return std::clamp(value, -PlaneHeightLimit, PlaneHeightLimit);
}

int CDlgBackground::GridSpacing() const {
    return findChild<QLineEdit*>(QStringLiteral("1060"))->text().toInt();
}

bool CDlgBackground::Snap() const {
    return IsChecked("1089");
}

CanvasDrawingSettings CDlgBackground::DrawingSettings() const {
    CanvasDrawingSettings s;
    s.drawingArea = DrawingArea();
    s.heightMode = HeightMode();
    s.planeHeight = static_cast<float>(PlaneHeight());
    return s;
}

RgbBytes* CDlgBackground::ColourOf(int id) {
    switch (id) {
    case 1031:
        return &settings_.solidColour;
    case 1032:
        return &settings_.gradientColour1;
    case 1033:
        return &settings_.gradientColour2;
    case 1034:
        return &settings_.gridColour;
    default:
        return nullptr;
    }
}

QColor CDlgBackground::ButtonColour(int id) const {
    const RgbBytes* c = const_cast<CDlgBackground*>(this)->ColourOf(id);
    return c ? ToQColor(*c) : QColor();
}

void CDlgBackground::ChooseColour(int id) {
    RgbBytes* target = ColourOf(id);
    if (!target) {
        return;
    }
    QColor colour = ToQColor(*target);
    bool chosen = false;
    if (chooseColour) {
        chosen = chooseColour(colour);
    } else {
        const QColor picked = QColorDialog::getColor(colour, this);
        chosen = picked.isValid();
        colour = picked;
    }
    if (!chosen || !colour.isValid()) {
        return;
    }
    *target = RgbBytes{static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
                       static_cast<std::uint8_t>(colour.blue())};
    if (QWidget* button = findChild<QWidget*>(QString::number(id))) {
        button->update();
    }
}

void CDlgBackground::Send(int wParam) {
    if (view_) {
        view_->OnCanvasDialogMessage(wParam, 0);
    }
}

void CDlgBackground::ShowCode(ResultCode code) {
    const char* text = ResultMessage(code);
    if (!text) {
        return;
    }
    if (showMessage) {
        showMessage(Utf8(text));
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, Utf8("ヌリモコ"), Utf8(text), QMessageBox::Ok, this);
    box.exec();
}

void CDlgBackground::SyncDirections() {
    if (IsChecked("1051")) {
        settings_.gradientDirection = FillDirection::Up;
    } else if (IsChecked("1053")) {
        settings_.gradientDirection = FillDirection::Right;
    } else if (IsChecked("1052")) {
        settings_.gradientDirection = FillDirection::Left;
    } else {
        settings_.gradientDirection = FillDirection::Down;
    }
    if (IsChecked("1044")) {
        settings_.rainbowDirection = FillDirection::Up;
    } else if (IsChecked("1046")) {
        settings_.rainbowDirection = FillDirection::Right;
    } else if (IsChecked("1045")) {
        settings_.rainbowDirection = FillDirection::Left;
    } else {
        settings_.rainbowDirection = FillDirection::Down;
    }
}

void CDlgBackground::GenerateSolid() {
    Send(CanvasBackgroundChanging);
    // Without a working picture there is nothing the canvas could take over.
    if (!settings_.workingImage.IsEmpty()) {
        settings_.FillSolid();
        Send(CanvasBackgroundChanged);
    }
    Send(CanvasBackgroundDone);
}

void CDlgBackground::GenerateGradient() {
    Send(CanvasBackgroundChanging);
    if (!settings_.workingImage.IsEmpty()) {
        SyncDirections();
        settings_.FillGradient();
        Send(CanvasBackgroundChanged);
    }
    Send(CanvasBackgroundDone);
}

void CDlgBackground::GenerateRainbow() {
    Send(CanvasBackgroundChanging);
    if (!settings_.workingImage.IsEmpty()) {
        SyncDirections();
        settings_.FillRainbow();
        Send(CanvasBackgroundChanged);
    }
    Send(CanvasBackgroundDone);
}

void CDlgBackground::FinishPicture(ResultCode code, const RasterImage& picture) {
    if (code == Result::Success) {
        code = settings_.FillFromImage(picture);
    }
    if (code != Result::Success) {
        ShowCode(code);
    } else {
        Send(CanvasBackgroundChanged);
    }
    Send(CanvasBackgroundDone);
}

void CDlgBackground::LoadFromFile() {
    QString path;
    if (chooseBitmapFile) {
        path = chooseBitmapFile();
    } else {
        path = QFileDialog::getOpenFileName(this, QString(), QString(),
                                            Utf8("Bitmapﾌｧｲﾙ (*.bmp);;PNGﾌｧｲﾙ (*.png);;すべてのﾌｧｲﾙ (*.*)"));
    }
    if (path.isEmpty()) {
        return;
    }
    Send(CanvasBackgroundChanging);
    RasterImage picture;
    const ResultCode code = LoadPictureFile(picture, path.toUtf8().toStdString());
    FinishPicture(code, picture);
}

void CDlgBackground::LoadFromClipboardCommand() {
    Send(CanvasBackgroundChanging);
    RasterImage picture;
    const ResultCode code = readClipboard ? readClipboard(picture) : ReadSystemClipboard(picture);
    FinishPicture(code, picture);
}

void CDlgBackground::PickSwatch(QPoint point) {
    const QPoint local = swatchFrame_->mapFrom(this, point);
    const std::optional<GridCell> hit = swatches_.HitTest(local.x(), local.y());
    if (!hit) {
        return;
    }
    const ColorButton& cell = swatches_.Cell(hit->row, hit->column);
    if (!cell.used) {
        return;
    }
    const QColor c = ToolColourToQColor(cell.hue, cell.lightness, cell.saturation);
    settings_.gridColour = RgbBytes{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                                    static_cast<std::uint8_t>(c.blue())};
    if (QWidget* button = findChild<QWidget*>(QStringLiteral("1034"))) {
        button->update();
    }
}

void CDlgBackground::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        PickSwatch(event->position().toPoint());
    }
    QDialog::mousePressEvent(event);
}

void CDlgBackground::closeEvent(QCloseEvent* event) {
    // The close box only puts the dialog away; the view's menu brings it back.
    event->ignore();
    hide();
}

void CDlgBackground::reject() {
    // Esc hides the window alone; minimising it would take the main window down with it.
    hide();
}
