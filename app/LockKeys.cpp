#include "app/LockKeys.h"

#include <QDir>
#include <QFile>

namespace {
bool AnyLightOn(const QDir& folder, const QString& suffix) {
    const QStringList names =
        folder.entryList({QStringLiteral("*::") + suffix}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        QFile file(folder.filePath(name + QStringLiteral("/brightness")));
        if (file.open(QIODevice::ReadOnly) && file.readAll().trimmed().toInt() > 0) {
            return true;
        }
    }
    return false;
}
} // namespace

LockKeyState ReadLockKeys(const QString& ledsFolder) {
    const QDir folder(ledsFolder);
    LockKeyState state;
    if (!folder.exists()) {
        return state;
    }
    state.capsLock = AnyLightOn(folder, QStringLiteral("capslock"));
    state.numLock = AnyLightOn(folder, QStringLiteral("numlock"));
    state.scrollLock = AnyLightOn(folder, QStringLiteral("scrolllock"));
    return state;
}
