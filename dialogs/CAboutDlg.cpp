#include "dialogs/CAboutDlg.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "app/DialogUnitScale.h"
#include "app/RasterImageQt.h"
#include "app/ShellPictures.h"

AboutPictureControl::AboutPictureControl(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("1085"));
    ImageFromQImage(AboutPicture(), picture_);
}

void AboutPictureControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawFitted(painter, picture_, width(), height());
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("100"));
    setWindowTitle(QStringLiteral("「ヌリモコ 」について"));
    QFont f;
    f.setFamilies(
        {QStringLiteral("MS UI Gothic"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("sans-serif")});
    f.setPointSize(9);
    setFont(f);
    const DialogUnitScale du(font());
    setFixedSize(du.Size(237, 123));

    auto* icon = new QLabel(this);
    icon->setGeometry(du.Rect(14, 14, 20, 20));
    icon->setPixmap(ApplicationIcon().pixmap(icon->size()));
    auto* version = new QLabel(QString::fromUtf8(VersionText), this);
    version->setGeometry(du.Rect(42, 14, 114, 8));
    auto* second = new QLabel(QString::fromUtf8(SecondLine), this);
    second->setGeometry(du.Rect(42, 26, 114, 8));
    auto* picture = new AboutPictureControl(this);
    picture->setGeometry(du.Rect(3, 51, 231, 33));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(du.Rect(179, 99, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
