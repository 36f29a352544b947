// Recovery copies of the view: while the painting has unsaved changes it is copied now and then, at an
// idle moment, into the recovery folder; the copy goes when the changes are saved or given up, and at
// the next start a copy whose program did not end properly is offered back.

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTimer>

#include "app/COvaneView.h"
#include "app/ShellTexts.h"
#include "dialogs/CDlgBackground.h"
#include "persistence/RecoverySchedule.h"
#include "persistence/RecoveryStore.h"
#include "persistence/UndoJournal.h"

namespace {
// How often the timer looks whether a copy is due; a copy that falls on a busy moment waits this long.
constexpr qint64 kCheckMillis = 1000;

qint64 SteadyMillis() {
    static QElapsedTimer clock;
    if (!clock.isValid()) {
        clock.start();
    }
    return clock.elapsed();
}
} // namespace

qint64 COvaneView::RecoveryNow() const {
    return options_.recoveryClock ? options_.recoveryClock() : SteadyMillis();
}

void COvaneView::StartRecovery() {
    QString folder = options_.recoveryFolder;
    if (folder.isEmpty()) {
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (data.isEmpty()) {
            return;
        }
        folder = data + QStringLiteral("/recovery");
    }
    qint64 seconds = options_.recoverySeconds;
    if (seconds < 0) {
        seconds = RecoveryIntervalSeconds(qgetenv("NURIMOKO_RECOVERY_SECONDS").constData());
    }
    recovery_ = std::make_unique<RecoveryStore>(folder.toUtf8().toStdString(),
                                                QCoreApplication::applicationPid(),
                                                QDateTime::currentMSecsSinceEpoch());
    recoverySchedule_ = std::make_unique<RecoverySchedule>(seconds * 1000, RecoveryNow());
    if (recoverySchedule_->Enabled()) {
        recoveryTimer_ = new QTimer(this);
        recoveryTimer_->setInterval(static_cast<int>(std::min(kCheckMillis, seconds * 1000)));
        connect(recoveryTimer_, &QTimer::timeout, this, &COvaneView::OnRecoveryTimer);
        recoveryTimer_->start();
    }
}

bool COvaneView::RecoveryIdle() const {
    return buttonDown_ == 0 && !busyCursor_ && !controller_->StrokeActive() &&
           controller_->Points().empty() && QApplication::activeModalWidget() == nullptr;
}

void COvaneView::OnRecoveryTimer() {
    if (!recovery_ || !recoverySchedule_) {
        return;
    }
    if (const std::optional<ResultCode> written = recovery_->TakeWriteResult()) {
        // Said once per run of failures: the pane would otherwise repeat it every few seconds.
        if (*written != Result::Success && !recoveryFailed_) {
            SetStatusText(ShellText::RecoveryWriteFailed);
        }
        recoveryFailed_ = *written != Result::Success;
        if (recoveryFailed_) {
            recoverySchedule_->Forget();
        }
    }
    RecoveryMoment moment;
    moment.nowMillis = RecoveryNow();
    moment.modified = modified_ != 0;
    moment.idle = RecoveryIdle();
    moment.changeCount = paintingChanges_;
    if (!recoverySchedule_->Due(moment) || recovery_->Writing()) {
        return;
    }
    // Only the bytes are taken here, on the window's thread; the file is written on a worker thread.
    QElapsedTimer spent;
    spent.start();
    std::vector<std::uint8_t> document;
    if (canvas_.EncodePaintFile(document) != Result::Success) {
        return;
    }
    const QString origin = currentPath_.isEmpty() ? recoveredFrom_ : currentPath_;
    if (!recovery_->BeginWrite(std::move(document), origin.toUtf8().toStdString())) {
        return;
    }
    lastRecoveryCopyMillis_ = spent.elapsed();
    recoverySchedule_->Written(moment.nowMillis, moment.changeCount);
}

void COvaneView::RecoveryCopyNoLongerNeeded() {
    recoveredFrom_.clear();
    if (recovery_) {
        recovery_->DeleteOwnCopy();
    }
    if (recoverySchedule_) {
        recoverySchedule_->Forget();
    }
}

bool COvaneView::RestoreLeftCopy(const LeftCopy& copy) {
    // A painting with unsaved changes was made with strokes, and strokes switch anti-aliasing on; without
    // it the restored painting would not look as it did before.
    canvas_.antiAliasing = 1;
    const bool loaded = LoadPaintDocument(QString::fromStdString(copy.path));
    if (journal_ && journal_->Reset() != Result::Success) {
        prompts_->ShowMessage(QString::fromUtf8(ShellText::JournalError));
    }
    CopyBackgroundToDialog();
    viewport()->update();
    if (!loaded) {
        return false;
    }
    // Untitled and modified: saving asks for a name, and closing asks whether to save.
    modified_ = 1;
    ++paintingChanges_;
    currentPath_.clear();
    recoveredFrom_ = QString::fromStdString(copy.originalPath);
    SetStatusText(recoveredFrom_.isEmpty()
                      ? std::string(ShellText::RecoveredStatus)
                      : QString::fromUtf8(ShellText::RecoveredFromStatus).arg(recoveredFrom_).toStdString());
    // The copy becomes this program's own, so the painting is never without one. Should that fail, the
    // left copy stays where it is and is offered again at the next start.
    if (recovery_->Adopt(copy, copy.originalPath) == Result::Success) {
        recoverySchedule_->Written(RecoveryNow(), paintingChanges_);
    }
    return true;
}

void COvaneView::OfferRecoveryCopies() {
    if (!recovery_ || !initialised_) {
        return;
    }
    for (const LeftCopy& copy : recovery_->ClaimLeftCopies()) {
        if (prompts_->AskRestore(QString::fromUtf8(ShellText::RecoveryOffer)) == PromptAnswer::No) {
            recovery_->DeleteLeftCopy(copy);
            continue;
        }
        if (RestoreLeftCopy(copy)) {
            break; // one painting at a time; the others wait for the next start
        }
        recovery_->SetAside(copy);
    }
    recovery_->ReleaseClaims();
}
