#include "persistence/RecoverySchedule.h"

#include <cctype>

std::int64_t RecoveryIntervalSeconds(const char* text) {
    if (text == nullptr || *text == '\0') {
        return DefaultRecoverySeconds;
    }
    // About a hundred years is plenty; more could overflow the milliseconds.
    constexpr std::int64_t kLargest = 3'153'600'000;
    std::int64_t value = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (!std::isdigit(static_cast<unsigned char>(*p))) {
            return DefaultRecoverySeconds;
        }
        value = value * 10 + (*p - '0');
        if (value > kLargest) {
            return kLargest;
        }
    }
    return value;
}

bool RecoverySchedule::Due(const RecoveryMoment& moment) const {
    if (!Enabled() || !moment.modified || !moment.idle) {
        return false;
    }
    if (hasCopy && copiedChange == moment.changeCount) {
        return false;
    }
    return moment.nowMillis - lastCopyMillis >= interval;
}

void RecoverySchedule::Written(std::int64_t nowMillis, std::uint64_t changeCount) {
    lastCopyMillis = nowMillis;
    copiedChange = changeCount;
    hasCopy = true;
}
