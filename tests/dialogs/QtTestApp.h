#pragma once
// One QApplication for the widget tests of this program, on the offscreen platform.

#include <QApplication>
#include <QByteArray>

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "test_dialogs";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    }
    // Never destroyed: a QApplication torn down among the exit-time destructors crashes in Qt's own
    // device registry.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
