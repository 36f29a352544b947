#include "dialogs/CDlgNewImage.h"

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "app/DialogUnitScale.h"

const CDlgNewImage::Preset CDlgNewImage::Presets[8] = {
    {1024, 640, 480},  {1025, 720, 480},  {1026, 1024, 768},  {1027, 1280, 720},
    {1028, 1366, 768}, {1029, 1600, 900}, {1030, 1600, 1200}, {1031, 1920, 1080},
};

namespace {
QFont DialogFont() {
    QFont font;
    font.setFamilies(
        {QStringLiteral("MS UI Gothic"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("sans-serif")});
    font.setPointSize(9);
    return font;
}

QFont EditFont() {
    QFont font;
    font.setFamilies({QStringLiteral("MS ゴシック"), QStringLiteral("MS Gothic"),
                      QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("monospace")});
    font.setPointSize(14);
    return font;
}
} // namespace

CDlgNewImage::CDlgNewImage(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("314"));
    setWindowTitle(QStringLiteral("新規作成"));
    setFont(DialogFont());
    const DialogUnitScale du(font());
    setFixedSize(du.Size(142, 206));

    auto* group = new QGroupBox(QStringLiteral("画像サイズ"), this);
    group->setGeometry(du.Rect(7, 8, 127, 152));
    auto label = [&](const char* text, int x, int y, int w, int h) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setGeometry(du.Rect(x, y, w, h));
    };
    label("横", 39, 29, 10, 8);
    label("縦", 98, 29, 10, 8);
    label("X", 70, 45, 8, 8);

    widthEdit_ = new QLineEdit(this);
    widthEdit_->setObjectName(QStringLiteral("1039"));
    widthEdit_->setGeometry(du.Rect(15, 40, 50, 18));
    widthEdit_->setAlignment(Qt::AlignCenter);
    widthEdit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), widthEdit_));
    widthEdit_->setFont(EditFont());

    heightEdit_ = new QLineEdit(this);
    heightEdit_->setObjectName(QStringLiteral("1040"));
    heightEdit_->setGeometry(du.Rect(78, 40, 50, 18));
    heightEdit_->setAlignment(Qt::AlignCenter);
    heightEdit_->setFont(EditFont());

    const int columns[2] = {19, 74};
    const int rows[4] = {74, 92, 111, 130};
    for (int i = 0; i < 8; ++i) {
        const Preset preset = Presets[i];
        auto* button = new QPushButton(QStringLiteral("%1 x %2").arg(preset.width).arg(preset.height), this);
        button->setObjectName(QString::number(preset.id));
        button->setGeometry(du.Rect(columns[i % 2], rows[i / 2], 50, 14));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, preset] {
            widthEdit_->setText(QString::number(preset.width));
            heightEdit_->setText(QString::number(preset.height));
        });
    }

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(du.Rect(29, 173, 41, 18));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("2"));
    cancel->setGeometry(du.Rect(74, 173, 37, 18));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CDlgNewImage::LoadFields() {
    widthEdit_->setText(QString::number(width));
    heightEdit_->setText(QString::number(height));
    loaded_ = true;
}

void CDlgNewImage::showEvent(QShowEvent* event) {
    if (!loaded_) {
        LoadFields();
    }
    QDialog::showEvent(event);
}

void CDlgNewImage::done(int result) {
    width = ReadInt(widthEdit_->text());
    height = ReadInt(heightEdit_->text());
    loaded_ = false;
    QDialog::done(result);
}

std::int32_t CDlgNewImage::ReadInt(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}
