#pragma once
// The application object: starts the framework, creates the main frame with its view and shows it
// maximised.

#include <QApplication>
#include <QStringList>
#include <memory>

class CMainFrame;

// The file to open given on the command line (`nurimoko PATH`, the desktop entry's %f), as an absolute
// path; a file: URL is taken as its local path. Only the first argument after the program counts; empty
// when there is none.
QString StartFileFromArguments(const QStringList& arguments);

class COvaneApp : public QApplication {
    Q_OBJECT
public:
    COvaneApp(int& argc, char** argv);
    ~COvaneApp() override;

    // False when start-up fails and the process should end.
    bool InitInstance();
    CMainFrame* MainFrame() const { return frame_.get(); }

private:
    std::unique_ptr<CMainFrame> frame_;
};
