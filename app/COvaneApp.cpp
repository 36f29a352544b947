#include "app/COvaneApp.h"

#include <QFileInfo>
#include <QUrl>

#include "app/CMainFrame.h"
#include "app/COvaneView.h"
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
    frame_->View()->OfferRecoveryCopies();
    frame_->View()->OpenStartFile(StartFileFromArguments(arguments()));
    return true;
}

QString StartFileFromArguments(const QStringList& arguments) {
    if (arguments.size() < 2 || arguments[1].isEmpty()) {
        return QString();
    }
    QString path = arguments[1];
    if (path.startsWith(QStringLiteral("file:"))) {
        path = QUrl(path).toLocalFile();
        if (path.isEmpty()) {
            return QString();
        }
    }
    return QFileInfo(path).absoluteFilePath();
}
