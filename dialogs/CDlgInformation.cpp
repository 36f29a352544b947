#include "dialogs/CDlgInformation.h"

#include <QLabel>
#include <QPushButton>

#include "app/DialogUnitScale.h"
#include "app/ProcessMemory.h"
#include "app/ShellTexts.h"
#include "engine/PaintCanvas.h"

CDlgInformation::CDlgInformation(const PaintCanvas* canvas, QWidget* parent)
    : QDialog(parent), canvas_(canvas) {
    setObjectName(QStringLiteral("319"));
    setWindowTitle(QStringLiteral("情報"));
    DialogUnitScale du(font());
    du.FitText(QStringLiteral("画像サイズ（横 x 縦）"), 68);
    du.FitText(QStringLiteral("絵の具の粒子数"), 54);
    du.FitText(QStringLiteral("メモリー使用量"), 48);
    setFixedSize(du.Size(165, 99));

    auto label = [&](const char* text, int x, int y, int w, int h) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setGeometry(du.Rect(x, y, w, h));
    };
    auto value = [&](int id, const char* text, int x, int y, int w, int h) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setObjectName(QString::number(id));
        l->setGeometry(du.Rect(x, y, w, h));
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setAlignment(Qt::AlignCenter);
        return l;
    };
    label("画像サイズ（横 x 縦）", 12, 11, 68, 8);
    sizeValue_ = value(1041, "0 x 0", 85, 8, 71, 11);
    label("絵の具の粒子数", 12, 29, 54, 8);
    particleValue_ = value(1042, "0", 85, 27, 71, 10);
    label("メモリー使用量", 12, 48, 48, 8);
    memoryValue_ = value(1043, "0", 85, 46, 71, 11);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(du.Rect(58, 76, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

QString CDlgInformation::SizeText(int width, int height) {
    return QString::asprintf("%d x %d", width, height);
}

QString CDlgInformation::ParticleText(long long count) {
    return GroupThousands(count);
}

std::optional<QString> CDlgInformation::MemoryText(std::optional<long long> privateBytes) {
    if (!privateBytes) {
        return std::nullopt;
    }
    return QStringLiteral("%1  Mバイト").arg(GroupThousands(*privateBytes / 1048576));
}

void CDlgInformation::Refresh() {
    if (canvas_ == nullptr) {
        return;
    }
    sizeValue_->setText(SizeText(canvas_->width, canvas_->height));
    particleValue_->setText(ParticleText(canvas_->store ? canvas_->store->Count() : 0));
    if (const auto memory = MemoryText(ProcessPrivateBytes())) {
        memoryValue_->setText(*memory);
    }
}

void CDlgInformation::paintEvent(QPaintEvent* event) {
    // QLabel ignores a text equal to its current one, so this does not paint again forever.
    Refresh();
    QDialog::paintEvent(event);
}
