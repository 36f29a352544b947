#pragma once
// An owner-drawn button of the tool box: it shows the selected face of its kind's picture pair while
// its kind is the selected one, else the not-selected face, fitted into the button.

#include <QAbstractButton>

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
