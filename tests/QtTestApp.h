#pragma once
// One QApplication for the widget tests of this program, on the offscreen platform. It is destroyed when
// the test run ends, before the exit-time destructors (Qt crashes when it is torn down among them).

#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>

inline QApplication*& TestAppInstance() {
    static QApplication* app = nullptr;
    return app;
}

class TestAppEnvironment : public ::testing::Environment {
public:
    void TearDown() override {
        delete TestAppInstance();
        TestAppInstance() = nullptr;
    }
};

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "nurimoko-tests";
    static char* argv[] = {name, nullptr};
    if (TestAppInstance() == nullptr) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
        }
        TestAppInstance() = new QApplication(argc, argv);
        ::testing::AddGlobalTestEnvironment(new TestAppEnvironment);
    }
    return *TestAppInstance();
}
