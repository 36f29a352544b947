#include "toolbox/BarValueTip.h"

#include <QCursor>
#include <QEvent>
#include <QHelpEvent>
#include <QScrollBar>
#include <QToolTip>

namespace {

class BarValueTip : public QObject {
public:
    explicit BarValueTip(QScrollBar* bar) : QObject(bar), bar_(bar) {
        bar->installEventFilter(this);
        // Only the user's moves: a bar set by the program while the mouse is elsewhere shows nothing.
        connect(bar, &QAbstractSlider::actionTriggered, this, [this] { ShowAt(QCursor::pos()); });
        connect(bar, &QAbstractSlider::sliderMoved, this, [this] { ShowAt(QCursor::pos()); });
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == bar_ && event->type() == QEvent::ToolTip) {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), QString::number(bar_->value()),
                               bar_);
            return true;
        }
        return false;
    }

private:
    // An action is reported before the bar moves; the tip follows once the value is set.
    void ShowAt(QPoint where) {
        QMetaObject::invokeMethod(
            this, [this, where] { QToolTip::showText(where, QString::number(bar_->value()), bar_); },
            Qt::QueuedConnection);
    }

    QScrollBar* bar_;
};

} // namespace

void ShowValueInToolTip(QScrollBar* bar) {
    new BarValueTip(bar);
}
