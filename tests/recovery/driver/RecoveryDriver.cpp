// Starts the program as its main() does (the application object, the main frame and its view, shown,
// with the start-up offer of recovery copies) and plays a user on the offscreen platform, where no
// outside input can reach it:
//   nurimoko-recovery-driver paint OUT    paints three strokes through the view's mouse events, writes
//                                         the rendered canvas to OUT/painted.bin, and again after
//                                         再描画 to OUT/before.bin, the recovery folder to
//                                         OUT/folder.txt, prints "painted" and runs until killed;
//   nurimoko-recovery-driver restore OUT  answers the start-up offer with the Enter key (its default
//                                         button), writes the rendered canvas to OUT/after.bin and what
//                                         it saw to OUT/state.txt, then closes the window, answering
//                                         the save prompt with いいえ.

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "app/CMainFrame.h"
#include "app/COvaneApp.h"
#include "app/COvaneView.h"
#include "persistence/RecoveryStore.h"

namespace {

QString outFolder;

void WriteFile(const QString& name, const QByteArray& bytes) {
    QFile file(outFolder + QLatin1Char('/') + name);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
    }
}

QByteArray RenderedBytes(const COvaneView& view) {
    const std::vector<std::uint8_t>& data = view.Canvas().renderedImage.data;
    return QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size()));
}

void Wait(int millis) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < millis) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

void SendMouse(QWidget* target, QEvent::Type type, QPoint p, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(p), target->mapToGlobal(QPointF(p)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void Drag(QWidget* target, QPoint from, QPoint to) {
    SendMouse(target, QEvent::MouseButtonPress, from, Qt::LeftButton);
    for (int i = 1; i <= 12; ++i) {
        SendMouse(target, QEvent::MouseMove, from + (to - from) * i / 12, Qt::LeftButton);
    }
    SendMouse(target, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

int Paint(COvaneApp& app) {
    if (!app.InitInstance()) {
        return 2;
    }
    Wait(300); // the view's start timer takes the tool box's brush
    COvaneView* view = app.MainFrame()->View();
    QWidget* canvas = view->viewport();
    Drag(canvas, QPoint(60, 60), QPoint(400, 120));
    Drag(canvas, QPoint(80, 300), QPoint(300, 200));
    Drag(canvas, QPoint(350, 330), QPoint(120, 380));
    WriteFile(QStringLiteral("painted.bin"), RenderedBytes(*view));
    // The whole painting drawn anew (再描画), as a painting opened from its file is drawn.
    view->RedrawAll();
    WriteFile(QStringLiteral("before.bin"), RenderedBytes(*view));
    WriteFile(QStringLiteral("folder.txt"), QByteArray::fromStdString(view->Recovery()->Folder()));
    std::printf("painted %d metaballs\n", view->Canvas().store->Count());
    std::fflush(stdout);
    return app.exec();
}

int Restore(COvaneApp& app) {
    QByteArray seen;
    // Modal boxes run their own event loop; this timer answers them from inside it.
    QTimer answer;
    answer.setInterval(20);
    QObject::connect(&answer, &QTimer::timeout, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        const QString defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
        seen += "box: " + box->text().toUtf8() + " | default: " + defaultText.toUtf8() + "\n";
        if (box->text().contains(QStringLiteral("復元"))) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(box, &press);
            return;
        }
        for (QAbstractButton* button : box->buttons()) {
            if (button->text().startsWith(QStringLiteral("いいえ"))) {
                button->click();
                return;
            }
        }
    });
    answer.start();
    if (!app.InitInstance()) {
        return 2;
    }
    COvaneView* view = app.MainFrame()->View();
    WriteFile(QStringLiteral("after.bin"), RenderedBytes(*view));
    seen += "modified: " + QByteArray::number(view->Modified() ? 1 : 0) + "\n";
    seen += "path: " + view->CurrentPath().toUtf8() + "\n";
    seen += "status: " + view->StatusText().toUtf8() + "\n";
    seen += "metaballs: " + QByteArray::number(view->Canvas().store->Count()) + "\n";
    app.MainFrame()->close();
    seen += "closed: " + QByteArray::number(app.MainFrame()->isVisible() ? 0 : 1) + "\n";
    WriteFile(QStringLiteral("state.txt"), seen);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s paint|restore FOLDER\n", argv[0]);
        return 64;
    }
    const bool paint = std::strcmp(argv[1], "paint") == 0;
    outFolder = QString::fromLocal8Bit(argv[2]);
    int qtArgc = 1;
    COvaneApp app(qtArgc, argv);
    return paint ? Paint(app) : Restore(app);
}
