#include "app/ProcessMemory.h"

#include <QFile>
#include <QStringList>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <psapi.h>
#endif

namespace {
std::optional<long long> KilobyteField(const QStringList& lines, const QString& key) {
    for (const QString& line : lines) {
        if (!line.startsWith(key)) {
            continue;
        }
        const QStringList parts = line.mid(key.size()).simplified().split(QLatin1Char(' '));
        bool ok = false;
        const long long value = parts.value(0).toLongLong(&ok);
        if (!ok) {
            return std::nullopt;
        }
        return value * 1024;
    }
    return std::nullopt;
}
} // namespace

std::optional<long long> PrivateBytesFromStatus(const QString& statusText) {
    const QStringList lines = statusText.split(QLatin1Char('\n'));
    const auto anon = KilobyteField(lines, QStringLiteral("RssAnon:"));
    if (!anon) {
        return std::nullopt;
    }
    return *anon + KilobyteField(lines, QStringLiteral("VmSwap:")).value_or(0);
}

std::optional<long long> ProcessPrivateBytes() {
#ifdef _WIN32
    // The private bytes the system charges to the process (what the task manager calls its commit size).
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!::K32GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                   sizeof counters)) {
        return std::nullopt;
    }
    return static_cast<long long>(counters.PrivateUsage);
#else
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return std::nullopt;
    }
    return PrivateBytesFromStatus(QString::fromLatin1(file.readAll()));
#endif
}
