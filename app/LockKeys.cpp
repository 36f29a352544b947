#include "app/LockKeys.h"

#include <QDir>
#include <QFile>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

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

LockKeyState CurrentLockKeys() {
#ifdef _WIN32
    // The low bit of a key's state is its toggle.
    LockKeyState state;
    state.capsLock = (::GetKeyState(VK_CAPITAL) & 1) != 0;
    state.numLock = (::GetKeyState(VK_NUMLOCK) & 1) != 0;
    state.scrollLock = (::GetKeyState(VK_SCROLL) & 1) != 0;
    return state;
#else
    return ReadLockKeys(QStringLiteral("/sys/class/leds"));
#endif
}
