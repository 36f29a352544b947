#pragma once
// Scripted answers for the view's dialogs, message boxes and clipboard; records what was asked.

#include <QStringList>
#include <deque>

#include "app/ShellPrompts.h"

class FakePrompts : public ShellPrompts {
public:
    struct SaveDialogCall {
        QString defaultName;
        QString extension;
        QString filter;
    };

    QStringList messages;
    int saveQuestions = 0;
    std::deque<PromptAnswer> saveAnswers; // empty: いいえ
    QStringList restoreQuestions;
    std::deque<PromptAnswer> restoreAnswers; // empty: はい, the default button
    QString openPath;                        // empty: the open dialog is cancelled
    QStringList openFilters;
    QString savePath; // empty: the save dialog is cancelled
    std::vector<SaveDialogCall> saveDialogs;
    bool newImageOk = false;
    std::int32_t newWidth = 0;
    std::int32_t newHeight = 0;
    std::int32_t askedWidth = -1;
    std::int32_t askedHeight = -1;
    ResultCode clipboardCode = Result::NoData;
    RasterImage clipboardPicture;
    bool clipboardWritable = true;
    RasterImage copiedPicture;
    QStringList shellOpened;
    int informationShown = 0;
    int aboutShown = 0;

    void ShowMessage(const QString& text) override { messages << text; }
    PromptAnswer AskSave(const QString& text) override {
        ++saveQuestions;
        messages << text;
        if (saveAnswers.empty()) {
            return PromptAnswer::No;
        }
        const PromptAnswer a = saveAnswers.front();
        saveAnswers.pop_front();
        return a;
    }
    PromptAnswer AskRestore(const QString& text) override {
        restoreQuestions << text;
        if (restoreAnswers.empty()) {
            return PromptAnswer::Yes;
        }
        const PromptAnswer a = restoreAnswers.front();
        restoreAnswers.pop_front();
        return a;
    }
    QString OpenFileName(const QString& filter) override {
        openFilters << filter;
        return openPath;
    }
    QString SaveFileName(const QString& defaultName, const QString& extension,
                         const QString& filter) override {
        saveDialogs.push_back({defaultName, extension, filter});
        return savePath;
    }
    bool AskNewImageSize(std::int32_t& width, std::int32_t& height) override {
        askedWidth = width;
        askedHeight = height;
        if (!newImageOk) {
            return false;
        }
        width = newWidth;
        height = newHeight;
        return true;
    }
    void ShowInformation(const PaintCanvas&) override { ++informationShown; }
    void ShowAbout() override { ++aboutShown; }
    ResultCode ReadClipboardPicture(RasterImage& picture) override {
        if (clipboardCode == Result::Success) {
            picture = clipboardPicture;
        }
        return clipboardCode;
    }
    bool WriteClipboardPicture(const RasterImage& picture) override {
        if (!clipboardWritable) {
            return false;
        }
        copiedPicture = picture;
        return true;
    }
    bool shellOpens = true; // false: nothing on the desktop can open what is asked
    bool OpenWithShell(const QString& fileOrUrl, bool) override {
        shellOpened << fileOrUrl;
        return shellOpens;
    }
};
