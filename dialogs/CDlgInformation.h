#pragma once
// "情報": the canvas size, the number of paint particles and the program's memory use, as of the
// moment the dialog is painted.

#include <QDialog>
#include <optional>

class PaintCanvas;
class QLabel;

class CDlgInformation : public QDialog {
    Q_OBJECT
public:
    explicit CDlgInformation(const PaintCanvas* canvas, QWidget* parent = nullptr);

    static QString SizeText(int width, int height);
    static QString ParticleText(long long count);
    // "%s  Mバイト" of the private bytes in whole megabytes; nothing when they are unknown.
    static std::optional<QString> MemoryText(std::optional<long long> privateBytes);

    // Puts the values of this moment into the three fields.
    void Refresh();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PaintCanvas* canvas_;
    QLabel* sizeValue_ = nullptr;
    QLabel* particleValue_ = nullptr;
    QLabel* memoryValue_ = nullptr;
};
