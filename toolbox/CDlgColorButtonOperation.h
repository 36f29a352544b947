#pragma once
// The small orange popup that a right click on a palette cell opens: 登録 (register the current colour),
// 削除 (empty the cell, offered only for a cell that holds a colour) or キャンセル.

#include <QDialog>

class QPushButton;

class CDlgColorButtonOperation : public QDialog {
    Q_OBJECT
public:
    enum Outcome { Cancel = 0, Register = 1, Delete = 2 };

    CDlgColorButtonOperation(int hasColour, QWidget* parent);

    int hasColour = 0;
    // 1 register, 2 delete, 0 cancel (also after Enter or Esc).
    int result = Cancel;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Finish(int outcome);
};
