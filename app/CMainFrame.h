#pragma once
// The main window: menu, accelerators, tool bar, status bar and the canvas view, and the close
// protocol that asks the view first.

#include <QMainWindow>
#include <QMap>
#include <memory>

#include "app/COvaneDoc.h"
#include "app/COvaneView.h"
#include "app/LockKeys.h"

class QAction;
class QLabel;
class QToolBar;
class QTimer;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(ViewOptions options = {}, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The view's initial update, run once before the frame is first shown.
    void InitialUpdateFrame();

    COvaneView* View() const { return view_; }
    QAction* Action(int id) const { return actions_.value(id, nullptr); }
    QToolBar* ToolBar() const { return toolBar_; }
    QLabel* MessagePane() const { return messagePane_; }
    QLabel* LockIndicator(int index) const { return lockIndicators_[index]; }

    // Enables and checks the commands as the view and the bars say.
    void UpdateCommandUI();
    void ShowLockKeys(const LockKeyState& state);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void OnCommand(int id);
    void SetMessageText(const QString& text);

    COvaneDoc document_;
    COvaneView* view_ = nullptr;
    QMap<int, QAction*> actions_;
    QToolBar* toolBar_ = nullptr;
    QLabel* messagePane_ = nullptr;
    QLabel* lockIndicators_[3] = {nullptr, nullptr, nullptr};
    QTimer* idleTimer_ = nullptr;
    QString paneText_;
    bool promptShown_ = false;
};
