#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "persistence/RecoverySchedule.h"

namespace {

TEST(RecoveryInterval, TextOfTheEnvironmentVariable) {
    struct Case {
        const char* text;
        std::int64_t seconds;
    };
    const Case cases[] = {
        {nullptr, DefaultRecoverySeconds},
        {"", DefaultRecoverySeconds},
        {"0", 0},
        {"1", 1},
        {"300", 300},
        {"007", 7},
        {"-5", DefaultRecoverySeconds},
        {"2m", DefaultRecoverySeconds},
        {" 5", DefaultRecoverySeconds},
        {"1.5", DefaultRecoverySeconds},
        {"99999999999999999999", 3'153'600'000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(none)");
        EXPECT_EQ(RecoveryIntervalSeconds(c.text), c.seconds);
    }
}

// Each case starts a schedule of 120 s at 1000 ms, optionally takes a copy, then asks at one moment.
TEST(RecoverySchedule, CopiesOnlyChangedPaintingsAtIdleMomentsAfterTheInterval) {
    struct Case {
        std::string name;
        std::int64_t interval;
        std::optional<std::int64_t> copiedAt; // a copy of change 5 taken then
        bool forgotten;                       // and deleted afterwards
        RecoveryMoment moment;
        bool due;
    };
    const auto at = [](std::int64_t now, bool modified, bool idle, std::uint64_t change) {
        return RecoveryMoment{now, modified, idle, change};
    };
    const Case cases[] = {
        {"changes, idle, interval passed since start", 120000, std::nullopt, false, at(300000, true, true, 1),
         true},
        {"exactly the interval", 120000, std::nullopt, false, at(121000, true, true, 1), true},
        {"interval not yet passed", 120000, std::nullopt, false, at(120999, true, true, 1), false},
        {"nothing unsaved", 120000, std::nullopt, false, at(500000, false, true, 1), false},
        {"stroke under way", 120000, std::nullopt, false, at(500000, true, false, 1), false},
        {"copies off", 0, std::nullopt, false, at(500000, true, true, 1), false},
        {"the copy holds this painting", 120000, 130000, false, at(900000, true, true, 5), false},
        {"changed since the copy, interval passed", 120000, 130000, false, at(250000, true, true, 6), true},
        {"changed since the copy, too soon", 120000, 130000, false, at(249999, true, true, 6), false},
        {"copy deleted while still unsaved", 120000, 130000, true, at(250000, true, true, 5), true},
        {"copy deleted, too soon", 120000, 130000, true, at(200000, true, true, 5), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecoverySchedule schedule(c.interval, 1000);
        if (c.copiedAt) {
            schedule.Written(*c.copiedAt, 5);
        }
        if (c.forgotten) {
            schedule.Forget();
        }
        EXPECT_EQ(schedule.Due(c.moment), c.due);
    }
}

} // namespace
