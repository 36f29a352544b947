#pragma once
// "新規作成": asks for the size of a new canvas. The caller sets width and height, runs the dialog and
// reads them back after OK.

#include <QDialog>
#include <cstdint>

class QLineEdit;

class CDlgNewImage : public QDialog {
    Q_OBJECT
public:
    explicit CDlgNewImage(QWidget* parent = nullptr);

    std::int32_t width = 0;
    std::int32_t height = 0;

    // The fields take width and height when the dialog starts.
    void showEvent(QShowEvent* event) override;
    // Reads the fields back when the dialog ends, after OK as well as after キャンセル.
    void done(int result) override;

    // The numbers of the size buttons 1024..1031.
    struct Preset {
        int id;
        int width;
        int height;
    };
    static const Preset Presets[8];
    // A field's text as a signed integer; text that is not a number reads as 0.
    static std::int32_t ReadInt(const QString& text);

private:
    void LoadFields();

    QLineEdit* widthEdit_ = nullptr;
    QLineEdit* heightEdit_ = nullptr;
    bool loaded_ = false;
};
