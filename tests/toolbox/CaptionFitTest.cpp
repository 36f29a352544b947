#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
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
        }
    }
    // The one-arrow direction buttons are left out: their indicator alone nearly fills their box.
    for (QRadioButton* radio : dialog.findChildren<QRadioButton*>()) {
        if (radio->text().size() > 1) {
            expectFits(radio, radio->text());
        }
    }
    for (QCheckBox* check : dialog.findChildren<QCheckBox*>()) {
        expectFits(check, check->text());
    }
    EXPECT_GT(checked, 5);
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
        ExpectCaptionsFit(box);
    }
    {
        CDlgBackground dialog(&view, nullptr);
        SCOPED_TRACE("canvas dialog");
        ExpectCaptionsFit(dialog);
    }
}

} // namespace
