#pragma once
// When the program's recovery copy is due: only while the painting has unsaved changes that no copy
// holds yet, only at an idle moment (no stroke or path under way, no dialog open), and never sooner
// than the interval after the previous copy (or after the start).

#include <cstdint>

// The interval in seconds that the text of NURIMOKO_RECOVERY_SECONDS asks for: a whole number from 0
// (copies off) up; anything else, or no text, gives the usual two minutes.
std::int64_t RecoveryIntervalSeconds(const char* text);
inline constexpr std::int64_t DefaultRecoverySeconds = 120;

// What the view can say about itself at one moment.
struct RecoveryMoment {
    std::int64_t nowMillis = 0;
    bool modified = false;
    bool idle = false;
    // Counts every change of the painting; a copy holds the painting of one count.
    std::uint64_t changeCount = 0;
};

class RecoverySchedule {
public:
    RecoverySchedule(std::int64_t intervalMillis, std::int64_t startMillis)
        : interval(intervalMillis), lastCopyMillis(startMillis) {}

    bool Enabled() const { return interval > 0; }
    std::int64_t IntervalMillis() const { return interval; }
    bool Due(const RecoveryMoment& moment) const;
    // A copy of the painting at `changeCount` was taken at `nowMillis`.
    void Written(std::int64_t nowMillis, std::uint64_t changeCount);
    // The copy is gone (saved, discarded or replaced): if the painting still has unsaved changes, the
    // next due moment copies it again.
    void Forget() { hasCopy = false; }
    bool HasCopy() const { return hasCopy; }

private:
    std::int64_t interval;
    std::int64_t lastCopyMillis;
    bool hasCopy = false;
    std::uint64_t copiedChange = 0;
};
