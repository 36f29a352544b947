#include "app/ShellTexts.h"

#include <QDateTime>
#include <QStringList>
#include <algorithm>

QString ProgressText(const QString& text, int percent) {
    int filled = static_cast<int>(percent / 10.0 + 1.0);
    filled = std::clamp(filled, 0, 10);
    QString out = text + QStringLiteral(" ");
    out += QString(QStringLiteral("●")).repeated(filled);
    out += QString(QStringLiteral("〇")).repeated(10 - filled);
    return out;
}

QString ProgressKindText(int kind) {
    switch (kind) {
    case 1:
        return QStringLiteral("処理中...");
    case 2:
        return QStringLiteral("読み込み中...");
    case 3:
        return QStringLiteral("書き込み中...");
    default:
        return QString();
    }
}

QString BusyTimeText(std::int64_t elapsedMilliseconds) {
    const double seconds = static_cast<double>(std::max<std::int64_t>(0, elapsedMilliseconds)) * 0.001;
    return QString::asprintf("処理時間: %f 秒\n", seconds);
}

QString DefaultFileName(std::time_t now) {
    return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(now)).toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

QString ReadingStatus(const QString& path) {
    return QStringLiteral("ファイル[%1]から読み込み中...").arg(path);
}

QString WritingStatus(const QString& path) {
    return QStringLiteral("ファイル[%1]に書き込み中...").arg(path);
}

QString OpenErrorText(ResultCode code) {
    if (code == Result::UnsupportedFormat) {
        return QStringLiteral("【ヌリモコ】のファイルではありません。");
    }
    if (code == Result::VersionMismatch) {
        return QStringLiteral("【ヌリモコ】ファイルのバージョンが異なります。");
    }
    return QStringLiteral("【ヌリモコ】ファイルを読めませんでした。");
}

QString QtFileFilter(const char* filter) {
    const QStringList parts = QString::fromUtf8(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) {
            break;
        }
        QString description = parts[i];
        // A description that does not show its pattern gets it appended, as the file dialog needs it.
        if (!description.contains(QLatin1Char('('))) {
            description += QStringLiteral(" (%1)").arg(parts[i + 1]);
        }
        entries << description;
    }
    return entries.join(QStringLiteral(";;"));
}

QString ManualPath(const QString& executablePath) {
    const qsizetype slash =
        std::max(executablePath.lastIndexOf(QLatin1Char('/')), executablePath.lastIndexOf(QLatin1Char('\\')));
    const QString folder = slash >= 0 ? executablePath.left(slash) : QString();
    return QStringLiteral("%1/%2").arg(folder, QString::fromUtf8(ShellText::ManualFileName));
}

QString ManualNotOpenedText(const QString& path) {
    return QStringLiteral("説明書を開けませんでした。\n%1").arg(path);
}

QString GroupThousands(long long value) {
    const bool negative = value < 0;
    QString digits = QString::number(negative ? -value : value);
    for (qsizetype pos = digits.size() - 3; pos > 0; pos -= 3) {
        digits.insert(pos, QLatin1Char(','));
    }
    return negative ? QStringLiteral("-") + digits : digits;
}
