#pragma once
// "「ヌリモコ 」について": the About box with the program's name, version and picture.

#include <QDialog>
#include <QWidget>

#include "persistence/RasterImage.h"

// Control 1085: draws the About picture fitted and centred, its aspect kept.
class AboutPictureControl : public QWidget {
    Q_OBJECT
public:
    explicit AboutPictureControl(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    RasterImage picture_;
};

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    static constexpr const char* VersionText = "ヌリモコ　バージョン 1.1";
    static constexpr const char* SecondLine = "厚みのある絵の具で描くお絵かきソフト";
};
