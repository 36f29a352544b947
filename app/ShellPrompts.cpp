#include "app/ShellPrompts.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>

#include "app/CommandTable.h"
#include "app/RasterImageQt.h"
#include "dialogs/CAboutDlg.h"
#include "dialogs/CDlgInformation.h"
#include "dialogs/CDlgNewImage.h"
#include "persistence/Bmp.h"

QString FilterSuffix(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.(\\w+)\\)$"));
    const QRegularExpressionMatch match = pattern.match(filter.trimmed());
    return match.hasMatch() ? match.captured(1) : QString();
}

void QtShellPrompts::ShowMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(AppTitle), text, QMessageBox::Ok, owner_);
    box.exec();
}

PromptAnswer QtShellPrompts::AskSave(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(AppTitle), text, QMessageBox::NoButton, owner_);
    QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    box.setEscapeButton(cancel);
    box.setDefaultButton(yes);
    box.exec();
    if (box.clickedButton() == yes) {
        return PromptAnswer::Yes;
    }
    if (box.clickedButton() == no) {
        return PromptAnswer::No;
    }
    return PromptAnswer::Cancel;
}

PromptAnswer QtShellPrompts::AskRestore(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(AppTitle), text, QMessageBox::NoButton, owner_);
    QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? PromptAnswer::Yes : PromptAnswer::No;
}

QString QtShellPrompts::OpenFileName(const QString& filter) {
    QFileDialog dialog(owner_, QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    const QString chosen = dialog.selectedFiles().first();
    // The caller goes on to read the file without returning to the event loop: take the dialog off the
    // screen and paint what it covered first, so it does not stand frozen in front of a long load.
    ClearAfterDialog(dialog);
    return chosen;
}

void QtShellPrompts::ClearAfterDialog(QDialog& dialog) {
    dialog.hide();
    // Paint and window events only: no click or key may start another command meanwhile.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (owner_ != nullptr) {
        owner_->window()->repaint();
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString QtShellPrompts::SaveFileName(const QString& defaultName, const QString& defaultExtension,
                                     const QString& filter) {
    QFileDialog dialog(owner_, QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultExtension);
    // A name typed without an extension takes the one of the chosen file type.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, defaultExtension](const QString& f) {
        const QString suffix = FilterSuffix(f);
        dialog.setDefaultSuffix(suffix.isEmpty() ? defaultExtension : suffix);
    });
    dialog.selectFile(defaultName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    return dialog.selectedFiles().first();
}

bool QtShellPrompts::AskNewImageSize(std::int32_t& width, std::int32_t& height) {
    CDlgNewImage dialog(owner_);
    dialog.width = width;
    dialog.height = height;
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    width = dialog.width;
    height = dialog.height;
    return true;
}

void QtShellPrompts::ShowInformation(const PaintCanvas& canvas) {
    CDlgInformation dialog(&canvas, owner_);
    dialog.exec();
}

void QtShellPrompts::ShowAbout() {
    CAboutDlg dialog(owner_);
    dialog.exec();
}

ResultCode QtShellPrompts::ReadClipboardPicture(RasterImage& picture) {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* mime = clipboard ? clipboard->mimeData() : nullptr;
    if (mime == nullptr || !mime->hasImage()) {
        return Result::NoData;
    }
    const QImage image = clipboard->image();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) {
        return Result::NoData;
    }
    // The picture goes through the program's own packed-DIB reader, as a CF_DIB block would.
    const QByteArray dib = PackedDibFromQImage(image);
    return LoadPackedDib(picture, reinterpret_cast<const std::uint8_t*>(dib.constData()),
                         static_cast<std::size_t>(dib.size()));
}

bool QtShellPrompts::WriteClipboardPicture(const RasterImage& picture) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QImage image = QImageFromImage(picture);
    if (clipboard == nullptr || image.isNull()) {
        return false;
    }
    clipboard->setImage(image);
    return true;
}

bool QtShellPrompts::OpenWithShell(const QString& fileOrUrl, bool isUrl) {
    return QDesktopServices::openUrl(isUrl ? QUrl(fileOrUrl) : QUrl::fromLocalFile(fileOrUrl));
}
