#include "toolbox/CDlgColorButtonOperation.h"

#include <QKeyEvent>
#include <QPalette>
#include <QPushButton>

#include "toolbox/DialogUnits.h"

CDlgColorButtonOperation::CDlgColorButtonOperation(int hasColourFlag, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), hasColour(hasColourFlag) {
    setModal(true);
    QPalette orange = palette();
    const QColor colour(255, 200, 0);
    orange.setColor(QPalette::Window, colour);
    orange.setColor(QPalette::Button, colour);
    setPalette(orange);
    setAutoFillBackground(true);

    const DialogUnits du(*this);
    setFixedSize(du.X(61), du.Y(70));
    struct Layout {
        const char* id;
        const char* text;
        int y;
        int outcome;
    };
    for (const Layout& item : {Layout{"1081", "登録", 7, Register}, Layout{"1082", "削除", 25, Delete},
                               Layout{"1083", "キャンセル", 50, Cancel}}) {
        auto* button = new QPushButton(QString::fromUtf8(item.text), this);
        button->setObjectName(QString::fromLatin1(item.id));
        button->setGeometry(du.Rect(6, item.y, 50, 14));
        button->setAutoDefault(false);
        button->setPalette(orange);
        const int outcome = item.outcome;
        connect(button, &QPushButton::clicked, this, [this, outcome] { Finish(outcome); });
    }
    // Both are shown first; 削除 goes away for an empty cell.
    if (hasColour == 0) {
        findChild<QPushButton*>(QStringLiteral("1082"))->hide();
    }
}

void CDlgColorButtonOperation::Finish(int outcome) {
    result = outcome;
    if (outcome == Cancel) {
        reject();
    } else {
        accept();
    }
}

void CDlgColorButtonOperation::keyPressEvent(QKeyEvent* event) {
    // Enter closes the popup like Esc: nothing is chosen.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Finish(Cancel);
        return;
    }
    QDialog::keyPressEvent(event);
}
