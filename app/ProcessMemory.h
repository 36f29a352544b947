#pragma once
// The program's private memory, as the information dialog shows it.

#include <QString>
#include <optional>

// Private bytes from the text of /proc/<pid>/status: anonymous resident memory plus what of it is
// swapped out (RssAnon + VmSwap). Nothing when the text has no RssAnon line.
std::optional<long long> PrivateBytesFromStatus(const QString& statusText);
// The figure of the running process (on Windows the private usage the system reports); nothing when
// it cannot be read.
std::optional<long long> ProcessPrivateBytes();
