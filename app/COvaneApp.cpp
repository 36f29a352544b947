#include "app/COvaneApp.h"

#include "app/CMainFrame.h"
#include "app/COvaneView.h"
#include "app/CommandTable.h"
#include "app/ShellPictures.h"

COvaneApp::COvaneApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("nurimoko"));
    setApplicationDisplayName(QString());
    setDesktopFileName(QString::fromLatin1(AppUserModelId));
    setWindowIcon(ApplicationIcon());
}

COvaneApp::~COvaneApp() = default;

bool COvaneApp::InitInstance() {
    frame_ = std::make_unique<CMainFrame>();
    frame_->InitialUpdateFrame();
    frame_->showMaximized();
    frame_->View()->OfferRecoveryCopies();
    return true;
}
