#include "app/COvaneApp.h"

#include "app/CMainFrame.h"
#include "app/CommandTable.h"
#include "app/ShellPictures.h"
#include "app/SystemTranslations.h"

COvaneApp::COvaneApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("nurimoko"));
    setApplicationDisplayName(QString());
    setDesktopFileName(QString::fromLatin1(DesktopFileName));
    InstallJapaneseTranslations(*this);
    setWindowIcon(ApplicationIcon());
}

COvaneApp::~COvaneApp() = default;

bool COvaneApp::InitInstance() {
    frame_ = std::make_unique<CMainFrame>();
    frame_->InitialUpdateFrame();
    frame_->showMaximized();
    return true;
}
