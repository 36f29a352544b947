#pragma once
// An owner-drawn button of the tool box: it shows the selected face of its kind's picture pair while
// its kind is the selected one, else the not-selected face, fitted into the button.

#include <QAbstractButton>
#include <functional>

#include "toolbox/ButtonFaces.h"

class KindButton : public QAbstractButton {
    Q_OBJECT
public:
    KindButton(int kind, QWidget* parent);

    int Kind() const { return kind_; }
    void SetFaces(const ButtonImagePair& faces);
    void SetCurrent(bool current);
    bool IsCurrent() const { return current_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int kind_;
    bool current_ = false;
    QImage selectedFace_;
    QImage notSelectedFace_;
};

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
