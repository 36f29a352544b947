#pragma once
// The state of the Caps Lock, Num Lock and Scroll Lock keys for the status bar's indicators: on Windows
// the keys' toggle states, elsewhere the keyboard lights the system exposes (/sys/class/leds/*::capslock
// etc.).

#include <QString>

struct LockKeyState {
    bool capsLock = false;
    bool numLock = false;
    bool scrollLock = false;
    bool operator==(const LockKeyState&) const = default;
};

// Reads the lights under `ledsFolder`; a key whose light cannot be read counts as off.
LockKeyState ReadLockKeys(const QString& ledsFolder);
// The keys as they are now.
LockKeyState CurrentLockKeys();
