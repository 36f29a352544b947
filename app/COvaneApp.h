#pragma once
// The application object: starts the framework, creates the main frame with its view and shows it
// maximised.

#include <QApplication>
#include <memory>

class CMainFrame;

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
