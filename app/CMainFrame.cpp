#include "app/CMainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/ShellPictures.h"

CMainFrame::CMainFrame(ViewOptions options, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowIcon(ApplicationIcon());
    setWindowTitle(QStringLiteral("無題 - Ovane"));
    view_ = new COvaneView(this, std::move(options));
    setCentralWidget(view_);

    CreateActions();
    // Without an address there is no homepage to go to, so the menu has no entry for it.
    actions_[Cmd::Homepage]->setVisible(view_->IsCommandEnabled(Cmd::Homepage));
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();

    connect(view_, &COvaneView::statusTextChanged, this, &CMainFrame::SetMessageText);
    connect(view_, &COvaneView::captionChanged, this, &QWidget::setWindowTitle);
    connect(view_, &COvaneView::commandStateChanged, this, &CMainFrame::UpdateCommandUI);

    // The idle-time work of the frame: command states and the lock-key indicators.
    idleTimer_ = new QTimer(this);
    idleTimer_->setInterval(250);
    connect(idleTimer_, &QTimer::timeout, this, [this] {
        UpdateCommandUI();
        ShowLockKeys(CurrentLockKeys());
    });
    idleTimer_->start();
    UpdateCommandUI();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::InitialUpdateFrame() {
    view_->InitialUpdate();
    UpdateCommandUI();
}

void CMainFrame::CreateActions() {
    for (const MenuPopupSpec& popup : MainMenuSpec()) {
        for (const MenuItemSpec& item : popup.items) {
            if (item.id == 0) {
                continue;
            }
            auto* action = new QAction(QString::fromUtf8(item.caption), this);
            action->setObjectName(QString::number(item.id));
            if (item.statusPrompt != nullptr) {
                action->setStatusTip(QString::fromUtf8(item.statusPrompt));
            }
            if (item.toolTip != nullptr) {
                action->setToolTip(QString::fromUtf8(item.toolTip));
            }
            const int id = item.id;
            connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
            actions_.insert(id, action);
        }
    }
    for (int id : {Cmd::ViewToolBar, Cmd::ViewStatusBar, Cmd::ShowToolBox, Cmd::ShowCanvasDialog}) {
        actions_[id]->setCheckable(true);
    }
    // Accelerators: the keys of commands without behaviour are bound to disabled actions, so they do
    // nothing, as a command without a handler does. They work in every window of the program, so the
    // tool windows' keys reach the painting too (a modal dialog still keeps them to itself).
    QMap<int, QList<QKeySequence>> keys;
    for (const AcceleratorSpec& a : AcceleratorSpecs()) {
        keys[a.id].append(QKeySequence(QString::fromLatin1(a.keys)));
    }
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        QAction* action = actions_.value(it.key(), nullptr);
        if (action == nullptr) {
            action = new QAction(this);
            action->setObjectName(QString::number(it.key()));
            action->setEnabled(false);
            actions_.insert(it.key(), action);
        }
        action->setShortcuts(it.value());
        action->setShortcutContext(Qt::ApplicationShortcut);
        addAction(action);
    }
}

void CMainFrame::CreateMenus() {
    for (const MenuPopupSpec& popup : MainMenuSpec()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(popup.caption));
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
        for (const MenuItemSpec& item : popup.items) {
            if (item.id == 0) {
                menu->addSeparator();
            } else {
                menu->addAction(actions_[item.id]);
            }
        }
    }
}

void CMainFrame::CreateToolBar() {
    toolBar_ = new QToolBar(QStringLiteral("ツール バー"), this);
    toolBar_->setObjectName(QStringLiteral("128"));
    toolBar_->setIconSize(QSize(ToolBarIconSize, ToolBarIconSize));
    toolBar_->setMovable(true);
    toolBar_->setFloatable(true);
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : ToolBarSlots()) {
        if (id == 0) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* action = actions_[id];
        action->setIcon(QIcon(ToolBarPixmap(id)));
        toolBar_->addAction(action);
    }
    addToolBar(Qt::TopToolBarArea, toolBar_);
    connect(toolBar_, &QToolBar::visibilityChanged, this, &CMainFrame::UpdateCommandUI);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("59393"));
    messagePane_ = new QLabel(QString::fromUtf8(IdleStatusText), bar);
    messagePane_->setObjectName(QStringLiteral("pane0"));
    bar->addWidget(messagePane_, 1);
    const char* names[3] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        lockIndicators_[i] = new QLabel(QString::fromLatin1(names[i]), bar);
        lockIndicators_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        lockIndicators_[i]->setAlignment(Qt::AlignCenter);
        bar->addPermanentWidget(lockIndicators_[i]);
    }
    paneText_ = messagePane_->text();
    ShowLockKeys(CurrentLockKeys());
    // A status prompt covers pane 0 while a command is pointed at; afterwards the pane is idle again.
    connect(bar, &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (!message.isEmpty()) {
            promptShown_ = true;
        } else if (promptShown_) {
            promptShown_ = false;
            SetMessageText(QString::fromUtf8(IdleStatusText));
        }
    });
}

void CMainFrame::ShowLockKeys(const LockKeyState& state) {
    const bool on[3] = {state.capsLock, state.numLock, state.scrollLock};
    for (int i = 0; i < 3; ++i) {
        lockIndicators_[i]->setEnabled(on[i]);
    }
}

void CMainFrame::SetMessageText(const QString& text) {
    paneText_ = text;
    // The pane shows one line; a trailing line break of the texts is not drawn.
    QString shown = text;
    while (shown.endsWith(QLatin1Char('\n'))) {
        shown.chop(1);
    }
    messagePane_->setText(shown);
    messagePane_->repaint();
}

void CMainFrame::UpdateCommandUI() {
    for (auto it = actions_.cbegin(); it != actions_.cend(); ++it) {
        const int id = it.key();
        if (!CommandHasBehaviour(id)) {
            continue;
        }
        QAction* action = it.value();
        if (id == Cmd::ViewToolBar) {
            action->setChecked(toolBar_ != nullptr && toolBar_->isVisibleTo(this));
        } else if (id == Cmd::ViewStatusBar) {
            action->setChecked(statusBar()->isVisibleTo(this));
        } else {
            action->setEnabled(view_->IsCommandEnabled(id));
            if (action->isCheckable()) {
                action->setChecked(view_->IsCommandChecked(id));
            }
        }
    }
}

void CMainFrame::OnCommand(int id) {
    switch (id) {
    case Cmd::AppExit:
        close();
        break;
    case Cmd::ViewToolBar:
        toolBar_->setVisible(!toolBar_->isVisibleTo(this));
        break;
    case Cmd::ViewStatusBar:
        statusBar()->setVisible(!statusBar()->isVisibleTo(this));
        break;
    default:
        view_->OnCommand(id);
        break;
    }
    UpdateCommandUI();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (view_->OnCloseQuery() == 1) {
        event->ignore();
        return;
    }
    idleTimer_->stop();
    event->accept();
}
