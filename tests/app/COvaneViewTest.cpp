#include "app/COvaneView.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QMimeData>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTimer>

#include "ViewFixture.h"
#include "app/CommandIds.h"
#include "persistence/UndoJournal.h"

namespace {

class CanvasView : public ViewFixture {};

TEST_F(CanvasView, InitialUpdateMakesAWhiteCanvasAndStartsTheHistory) {
    EXPECT_EQ(view->Canvas().width, 1280);
    EXPECT_EQ(view->Canvas().height, 720);
    EXPECT_EQ(view->Geometry().displayRect, (FloatRect{0, 0, 1280, 720}));
    EXPECT_EQ(view->Geometry().sourceRect, (FloatRect{0, 0, 1280, 720}));
    EXPECT_EQ(view->MouseMode(), 1);
    EXPECT_FALSE(view->Modified());
    ASSERT_NE(view->Journal(), nullptr);
    EXPECT_EQ(view->Journal()->Entries().size(), 1u);
    EXPECT_EQ(view->Journal()->Entries()[0].kind, UndoInitial);
    EXPECT_EQ(QString::fromStdString(view->Journal()->Folder()), dir.filePath(QStringLiteral("UNDO")));
    EXPECT_FALSE(view->IsCommandEnabled(Cmd::EditUndo));
    EXPECT_FALSE(view->IsCommandEnabled(Cmd::EditRedo));
    // The display picture starts as a checkerboard until the canvas is drawn over it.
    EXPECT_EQ(view->DisplayImage().width, 1280);
    EXPECT_EQ(view->Canvas().renderedImage.PixelAt(0, 0)[0], 255);
}

TEST_F(CanvasView, StartTimerSetsTheCaptionOnce) {
    EXPECT_TRUE(view->Caption().isEmpty());
    QEventLoop loop;
    QTimer::singleShot(250, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(view->Caption(), QStringLiteral("ヌリモコ"));
    // The freehand guidance of the first brush is on the status line.
    EXPECT_EQ(view->StatusText(), QStringLiteral("フリーハンド： マウス左クリックしたままドラッグ。"));
}

TEST_F(CanvasView, FreehandDragPaintsRecordsAndCanBeUndoneAndRedone) {
    const QPoint from(100, 100);
    const QPoint to(200, 120);
    EXPECT_EQ(RenderedAt(QPoint(150, 110)), QColor(255, 255, 255));
    Drag(from, to);
    EXPECT_GT(view->Canvas().store->Count(), 0);
    EXPECT_NE(RenderedAt(QPoint(150, 110)), QColor(255, 255, 255));
    EXPECT_TRUE(view->Modified());
    EXPECT_FALSE(view->ButtonDown());
    // What was rendered reached the display picture and the screen copy.
    const CanvasPoint p = view->Geometry().ClientToImage(150, 110);
    const std::uint8_t* shown = view->DisplayImage().PixelAt(static_cast<int>(p.x), static_cast<int>(p.y));
    const std::uint8_t* rendered =
        view->Canvas().renderedImage.PixelAt(static_cast<int>(p.x), static_cast<int>(p.y));
    EXPECT_EQ(std::vector<int>(shown, shown + 3), std::vector<int>(rendered, rendered + 3));
    EXPECT_EQ(view->ScreenImage().pixelColor(150, 110), RenderedAt(QPoint(150, 110)));

    ASSERT_TRUE(view->IsCommandEnabled(Cmd::EditUndo));
    EXPECT_FALSE(view->IsCommandEnabled(Cmd::EditRedo));
    view->OnCommand(Cmd::EditUndo);
    EXPECT_EQ(RenderedAt(QPoint(150, 110)), QColor(255, 255, 255));
    EXPECT_FALSE(view->IsCommandEnabled(Cmd::EditUndo));
    EXPECT_TRUE(view->IsCommandEnabled(Cmd::EditRedo));
    EXPECT_TRUE(view->Modified()); // undo does not touch the flag
    EXPECT_TRUE(view->StatusText().startsWith(QStringLiteral("処理時間: ")))
        << view->StatusText().toStdString();

    view->OnCommand(Cmd::EditRedo);
    EXPECT_NE(RenderedAt(QPoint(150, 110)), QColor(255, 255, 255));
    EXPECT_FALSE(view->IsCommandEnabled(Cmd::EditRedo));
    // A disabled command does nothing.
    const auto entries = view->Journal()->Position();
    view->OnCommand(Cmd::EditRedo);
    EXPECT_EQ(view->Journal()->Position(), entries);
    EXPECT_TRUE(prompts->messages.isEmpty());
}

TEST_F(CanvasView, MouseMapsThroughZoomAndScroll) {
    view->OnCommand(Cmd::ZoomIn);
    view->OnCommand(Cmd::ZoomIn);
    view->horizontalScrollBar()->setValue(300);
    EXPECT_FLOAT_EQ(view->Geometry().displayRect.x, -300.0f);
    const QPoint at(50, 60);
    const CanvasPoint p = view->Geometry().ClientToImage(at.x(), at.y());
    EXPECT_NEAR(p.x, (50.5f + 300.0f) / 1.44f, 1e-3f);
    Drag(at, at + QPoint(1, 0), 1);
    EXPECT_NE(RenderedAt(at), QColor(255, 255, 255));
    // Far from the stroke the canvas is untouched.
    EXPECT_EQ(view->Canvas().renderedImage.PixelAt(1200, 20)[1], 255);
}

// What the screen shows of the view.
QImage Screen(COvaneView& view) {
    return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB888);
}

TEST_F(CanvasView, ZoomedOutEveryOnePixelGridLineStaysVisible) {
    // A black one-pixel grid every 10 pixels over the white canvas.
    RasterImage& picture = view->Canvas().renderedImage;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (x % 10 == 0 || y % 10 == 0) {
                std::fill_n(picture.PixelAt(x, y), 3, 0);
            }
        }
    }
    const UpdateRect whole = UpdateRect::Make(0, 0, picture.width - 1, picture.height - 1);
    view->BlitRect(whole);
    view->Geometry().displayRect.width = 320.0f; // exactly 25 %: a screen pixel covers 4 × 4 pixels
    view->Geometry().displayRect.height = 180.0f;
    view->UpdateScrollSizes();
    QImage screen = Screen(*view);
    ASSERT_GE(screen.width(), 320);
    ASSERT_GE(screen.height(), 180);

    const auto linesIn = [](int first) {
        int n = 0;
        for (int i = first; i < first + 4; ++i) {
            n += i % 10 == 0 ? 1 : 0;
        }
        return n;
    };
    int lineColumns = 0;
    for (int sy = 0; sy < 180; ++sy) {
        // Screen row sy covers the picture rows counted from the bottom 716 - 4 sy .. 719 - 4 sy.
        const bool rowLine = linesIn(716 - 4 * sy) > 0;
        for (int sx = 0; sx < 320; ++sx) {
            const int shown = screen.pixelColor(sx, sy).red();
            const bool columnLine = linesIn(4 * sx) > 0;
            SCOPED_TRACE(testing::Message() << "screen pixel " << sx << "," << sy);
            if (!rowLine && columnLine) {
                // One of four columns is black: a quarter of the contrast.
                ASSERT_NEAR(shown, 255 - 255 / 4, 2);
                ++lineColumns;
            } else if (!rowLine && !columnLine) {
                ASSERT_GE(shown, 253);
            } else {
                ASSERT_LE(shown, 193) << "a horizontal line stays visible too";
            }
        }
    }
    EXPECT_GT(lineColumns, 320 * 180 / 10);

    // A small change while zoomed out reaches the screen, re-averaged as a full average would.
    const UpdateRect dab = UpdateRect::Make(402, 302, 405, 305);
    for (int y = dab.y0; y <= dab.y1; ++y) {
        for (int x = dab.x0; x <= dab.x1; ++x) {
            std::fill_n(picture.PixelAt(x, y), 3, 0);
        }
    }
    view->BlitRect(dab);
    ZoomedPicture fresh;
    fresh.Rebuild(view->ScreenImage(), 0.25);
    EXPECT_EQ(view->Zoomed().Image(), fresh.Image());
    screen = Screen(*view);
    // Picture columns 402..405 and rows 302..305 (from the bottom) fall in screen pixels 100..101, 103..104.
    EXPECT_LT(screen.pixelColor(100, 104).red(), 191 - 20);
    EXPECT_EQ(screen.copy(0, 0, 320, 180), fresh.Image());
}

TEST_F(CanvasView, ZoomCommandsKeepTheirLimitsAndScrollSizes) {
    for (int i = 0; i < 60; ++i) {
        view->OnCommand(Cmd::ZoomOut);
    }
    EXPECT_FLOAT_EQ(view->Geometry().displayRect.width, 1.0f);
    EXPECT_FLOAT_EQ(view->Geometry().displayRect.height, 1.0f);
    view->OnCommand(Cmd::ZoomIn);
    EXPECT_FLOAT_EQ(view->Geometry().displayRect.width, 1.2f);

    view->OnCommand(Cmd::ZoomActual);
    EXPECT_EQ(view->Geometry().displayRect, (FloatRect{0, 0, 1280, 720}));
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 1280 - view->viewport()->width());

    view->OnCommand(Cmd::ZoomFit);
    const QSize client = view->viewport()->size();
    const float expected =
        std::min(static_cast<float>(client.height()) / 720.0f, static_cast<float>(client.width()) / 1280.0f);
    EXPECT_FLOAT_EQ(view->Geometry().Zoom(), expected);
    EXPECT_LE(view->Geometry().displayRect.width, static_cast<float>(client.width()) + 0.01f);
    EXPECT_EQ(view->horizontalScrollBar()->value(), 0);
}

TEST_F(CanvasView, WheelScrollMovesThePicture) {
    const int before = view->verticalScrollBar()->value();
    QWheelEvent wheel(QPointF(100, 100), view->viewport()->mapToGlobal(QPointF(100, 100)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    const int after = view->verticalScrollBar()->value();
    EXPECT_GT(after, before);
    EXPECT_FLOAT_EQ(view->Geometry().displayRect.y, static_cast<float>(-after));
}

TEST_F(CanvasView, ProgressAndBusyTexts) {
    view->ReportProgress(2, 50);
    EXPECT_EQ(view->StatusText(), QStringLiteral("読み込み中... ●●●●●●〇〇〇〇"));
    view->ReportProgress(3, 0);
    EXPECT_EQ(view->StatusText(), QStringLiteral("書き込み中... ●〇〇〇〇〇〇〇〇〇"));
    view->ReportProgress(3, 95);
    EXPECT_EQ(view->StatusText(), QStringLiteral("書き込み中... ●●●●●●●●●●"));
    view->ReportProgress(9, 100);
    EXPECT_EQ(view->StatusText(), QStringLiteral(" ●●●●●●●●●●"));
    view->BeginBusy("新規作成中...");
    EXPECT_TRUE(view->Busy());
    EXPECT_EQ(view->StatusText(), QStringLiteral("新規作成中..."));
    view->EndBusy();
    EXPECT_FALSE(view->Busy());
    EXPECT_TRUE(
        view->StatusText().contains(QRegularExpression(QStringLiteral("^処理時間: \\d+\\.\\d{6} 秒\n$"))));
}

TEST_F(CanvasView, DocumentProgressChangesThePaneOnlyWhenItsTextChanges) {
    int changes = 0;
    QObject::connect(view.get(), &COvaneView::statusTextChanged, view.get(),
                     [&](const QString&) { ++changes; });
    // A document of 10,000 records reports 10,000 percentages.
    for (int i = 1; i <= 10000; ++i) {
        view->ReportProgress(3, static_cast<int>(static_cast<float>(i) / 10000.0f * 100.0f));
    }
    EXPECT_EQ(changes, 10);
    EXPECT_EQ(view->StatusText(), QStringLiteral("書き込み中... ●●●●●●●●●●"));
}

TEST_F(CanvasView, RedrawAllGoesThroughEveryBand) {
    Drag(QPoint(10, 10), QPoint(60, 10));
    std::vector<int> seen;
    QObject::connect(view.get(), &COvaneView::statusTextChanged, view.get(), [&](const QString& text) {
        if (text.startsWith(QStringLiteral("描画中... "))) {
            seen.push_back(static_cast<int>(text.count(QStringLiteral("●"))));
        }
    });
    const QColor before = RenderedAt(QPoint(30, 10));
    view->OnCommand(Cmd::Redraw);
    EXPECT_EQ(seen.size(), 144u); // 720 rows in bands of five
    EXPECT_EQ(seen.front(), 1);
    EXPECT_EQ(seen.back(), 10);
    EXPECT_EQ(RenderedAt(QPoint(30, 10)), before);
    EXPECT_TRUE(view->StatusText().startsWith(QStringLiteral("処理時間: ")));
}

TEST_F(CanvasView, PixelInfoReportsThePixelOrThatThereIsNoPaint) {
    Drag(QPoint(100, 100), QPoint(101, 100), 1);
    const QString text = view->PixelInfoText(100, 100);
    const QStringList lines = text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], QStringLiteral("ix; 100, iy; 619"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("ピクセル色 (")));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("ピクセルのメタボール数: ")));
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral("全メタボール数: %1").arg(view->Canvas().store->Count())));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("ピクセル占有率: ")));
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("表面のZ値: ")));
    EXPECT_TRUE(lines[5].startsWith(QStringLiteral("基本Z値: ")));

    view->OnCommand(Cmd::ZoomFit);
    // In the grey margin below the fitted picture the report names the point and says there is no paint.
    const int belowPicture = static_cast<int>(view->Geometry().displayRect.height) + 2;
    ASSERT_LT(belowPicture, view->viewport()->height());
    const QStringList outside = view->PixelInfoText(10, belowPicture).split(QLatin1Char('\n'));
    ASSERT_EQ(outside.size(), 2);
    EXPECT_TRUE(outside[0].startsWith(QStringLiteral("ix; ")));
    EXPECT_TRUE(outside[0].contains(QStringLiteral("iy; -")));
    EXPECT_EQ(outside[1], QStringLiteral("キャンバスの外です。絵の具はありません。"));
    EXPECT_TRUE(view->PixelInfoText(-5, 10).endsWith(QStringLiteral("絵の具はありません。")));

    Mouse(QEvent::MouseButtonPress, Qt::RightButton, QPoint(10, 10), Qt::ShiftModifier);
    ASSERT_EQ(prompts->messages.size(), 1);
    EXPECT_TRUE(prompts->messages[0].startsWith(QStringLiteral("ix; ")));
}

TEST_F(CanvasView, CloseQueryWithCancelKeepsEverything) {
    Drag(QPoint(100, 100), QPoint(140, 100));
    prompts->saveAnswers = {PromptAnswer::Cancel};
    EXPECT_EQ(view->OnCloseQuery(), 1);
    EXPECT_EQ(prompts->messages.last(), QStringLiteral("変更内容をMBファイルに保存しますか？"));
    EXPECT_TRUE(view->Modified());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("nurimoko.ini"))));
}

TEST_F(CanvasView, UnmodifiedCloseDoesNotAsk) {
    EXPECT_EQ(view->OnCloseQuery(), 0);
    EXPECT_EQ(prompts->saveQuestions, 0);
}

TEST_F(CanvasView, DroppedFilesOpenOnlyTheFirst) {
    prompts->savePath = dir.filePath(QStringLiteral("a.mb"));
    Drag(QPoint(100, 100), QPoint(140, 100));
    view->OnCommand(Cmd::FileSaveAs);
    const int saved = view->Canvas().store->Count();
    view->OnCommand(Cmd::FileNew); // asks nothing: unmodified; the dialog is cancelled
    prompts->newImageOk = true;
    prompts->newWidth = 320;
    prompts->newHeight = 200;
    view->OnCommand(Cmd::FileNew);
    ASSERT_EQ(view->Canvas().width, 320);

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(dir.filePath(QStringLiteral("a.mb"))),
                  QUrl::fromLocalFile(dir.filePath(QStringLiteral("missing.mb")))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);
    EXPECT_EQ(view->Canvas().width, 1280);
    EXPECT_EQ(view->Canvas().store->Count(), saved);
    EXPECT_EQ(view->CurrentPath(), dir.filePath(QStringLiteral("a.mb")));
    EXPECT_EQ(view->Caption(), dir.filePath(QStringLiteral("a.mb")));
    EXPECT_TRUE(prompts->messages.isEmpty()) << prompts->messages.join(QLatin1Char('|')).toStdString();
}

} // namespace

namespace {

TEST(CanvasViewFolders, UndoFolderFallsBackWhenItCannotBeCreated) {
    TestApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A regular file where the folder's parent should be: the folder can never be created there.
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ViewOptions options;
    options.undoFolder = dir.filePath(QStringLiteral("blocker/UNDO"));
    options.undoFallbackFolder = dir.filePath(QStringLiteral("data/UNDO"));
    options.settingsPath = dir.filePath(QStringLiteral("nurimoko.ini"));
    options.createDialogs = false;
    COvaneView view(nullptr, options);
    view.SetPrompts(std::make_unique<FakePrompts>());
    view.InitialUpdate();
    ASSERT_NE(view.Journal(), nullptr);
    EXPECT_EQ(QString::fromStdString(view.Journal()->Folder()), dir.filePath(QStringLiteral("data/UNDO")));
    EXPECT_EQ(view.Journal()->Entries().size(), 1u);
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("data/UNDO"))).isEmpty(QDir::Files));
}

} // namespace
