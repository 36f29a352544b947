#pragma once
// A frame of a dialog that is painted by its owner; mouse events pass through to the dialog, which
// routes picks by position.

#include <QWidget>
#include <functional>

// A frame of the dialog that is painted by its owner; mouse events pass through to the dialog, which
// routes picks by position.
class PaintedFrame : public QWidget {
    Q_OBJECT
public:
    using Painter = std::function<void(QPainter& painter)>;
    PaintedFrame(const QString& id, QWidget* parent);
    void SetPainter(Painter painter) { painter_ = std::move(painter); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Painter painter_;
};
