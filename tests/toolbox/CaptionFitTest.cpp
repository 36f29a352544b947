#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QStyleOptionGroupBox>
#include <memory>

#include "QtTestApp.h"
#include "dialogs/CDlgBackground.h"
#include "toolbox/CDlgToolBox.h"

namespace {

// Every caption of a dialog is shown whole: none is cut off by the box the layout gives it.
void ExpectCaptionsFit(QWidget& dialog) {
    int checked = 0;
    const auto expectFits = [&](QWidget* control, const QString& text) {
        if (text.isEmpty() || control->width() <= 0) {
            return;
        }
        ++checked;
        EXPECT_LE(control->sizeHint().width(), control->width()) << text.toStdString();
    };
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->pixmap().isNull()) {
            expectFits(label, label->text());
            // One line each: a caption broken over two lines stands out of its row.
            EXPECT_FALSE(label->text().contains(QLatin1Char('\n'))) << label->text().toStdString();
            EXPECT_FALSE(label->wordWrap()) << label->text().toStdString();
        }
    }
    for (QRadioButton* radio : dialog.findChildren<QRadioButton*>()) {
        expectFits(radio, radio->text());
    }
    for (QCheckBox* check : dialog.findChildren<QCheckBox*>()) {
        expectFits(check, check->text());
    }
    EXPECT_GT(checked, 5);
}

bool Dark(QRgb pixel) {
    return qGray(pixel) < 128;
}

// Every group box shows its caption to the end: the ink at the right end of the caption drawn freely is
// also in the box as it is shown.
void ExpectGroupCaptionsWhole(QWidget& dialog) {
    for (QGroupBox* box : dialog.findChildren<QGroupBox*>()) {
        const QString title = box->title();
        if (title.isEmpty()) {
            continue;
        }
        SCOPED_TRACE(title.toStdString());
        const QImage shown = box->grab().toImage();
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = title;
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect label =
            box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        QImage free(shown.size(), QImage::Format_RGB32);
        free.fill(Qt::white);
        {
            QPainter painter(&free);
            painter.setFont(box->font());
            painter.setPen(Qt::black);
            painter.drawText(QRect(label.left(), label.top(), free.width() - label.left(), label.height()),
                             Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, title);
        }
        int right = -1;
        for (int x = 0; x < free.width(); ++x) {
            for (int y = label.top(); y <= label.bottom(); ++y) {
                if (Dark(free.pixel(x, y))) {
                    right = x;
                }
            }
        }
        ASSERT_GE(right, 4);
        // The last glyph's ink: a few columns wide and several pixels high, unlike a frame line.
        int inFree = 0;
        int inShown = 0;
        for (int x = right - 4; x <= right; ++x) {
            for (int y = label.top(); y <= label.bottom(); ++y) {
                inFree += Dark(free.pixel(x, y)) ? 1 : 0;
                inShown += Dark(shown.pixel(x, y)) ? 1 : 0;
            }
        }
        EXPECT_GE(inShown * 10, inFree * 7) << "the caption is cut off";
    }
}

class NullView : public ViewMessageTarget {
public:
    void OnCanvasDialogMessage(int, int) override {}
    void OnToolBoxMessage(int, int) override {}
};

TEST(CaptionFit, ToolBoxAndCanvasDialogShowEveryCaptionWhole) {
    TestApp();
    NullView view;
    {
        CDlgToolBox box(&view, nullptr);
        SCOPED_TRACE("tool box");
        // Every kind changes the group captions and which labels are shown.
        for (int path = 0; path < PathKindCount; ++path) {
            SCOPED_TRACE(PathKindCaption(static_cast<PathKind>(path)));
            box.OnPathButton(path);
            ExpectCaptionsFit(box);
            ExpectGroupCaptionsWhole(box);
        }
        for (int kind = 0; kind < BrushKindCount - 1; ++kind) {
            SCOPED_TRACE(BrushKindCaption(static_cast<BrushKind>(kind)));
            box.SelectBrushKind(kind);
            ExpectCaptionsFit(box);
            ExpectGroupCaptionsWhole(box);
        }
    }
    {
        CDlgBackground dialog(&view, nullptr);
        SCOPED_TRACE("canvas dialog");
        ExpectCaptionsFit(dialog);
        ExpectGroupCaptionsWhole(dialog);
    }
}

} // namespace
