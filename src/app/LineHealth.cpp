#include "app/LineHealth.h"

#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/TextHelpers.h"

namespace ambrin {

namespace {

// Local midnight of the day holding `time`, and that day's weekday (0 Sunday).
std::time_t dayStart(std::time_t time, int* weekday = nullptr) {
    std::tm tm{};
    ::localtime_r(&time, &tm);
    if (weekday != nullptr) {
        *weekday = tm.tm_wday;
    }
    tm.tm_hour = 0;
    tm.tm_min = 0;
    tm.tm_sec = 0;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

}  // namespace

int LineHealth::quietWorkingDays(std::time_t lastCall, std::time_t now) {
    int weekday = 0;
    const std::time_t first = dayStart(lastCall, &weekday);
    const std::time_t today = dayStart(now);
    int count = 0;
    // Day by day through the calendar (summer time makes some days 23 or 25 hours long),
    // capped so that a clock set years back costs nothing.
    std::tm day{};
    ::localtime_r(&first, &day);
    for (int step = 1; step <= 400; ++step) {
        day.tm_mday += 1;
        day.tm_hour = 12;  // noon: clear of any summer-time jump
        day.tm_isdst = -1;
        const std::time_t next = std::mktime(&day);
        if (dayStart(next, &weekday) >= today) {
            break;
        }
        if (weekday != 0 && weekday != 6) {
            ++count;
        }
    }
    return count;
}

std::optional<int> LineHealth::daysUntilFull(std::uint64_t recentBytes, std::uint64_t freeBytes) {
    if (recentBytes == 0) {
        return std::nullopt;
    }
    const double perDay = static_cast<double>(recentBytes) / kRateDays;
    const double days = static_cast<double>(freeBytes) / perDay;
    return days > 1e6 ? 1000000 : static_cast<int>(days);
}

std::vector<HealthChange> LineHealth::update(const HealthFacts& facts) {
    std::vector<HealthChange> changes;
    const auto change = [&](HealthWarning warning, bool condition, std::string raisedText,
                            std::string clearedText) {
        bool& raised = m_raised[index(warning)];
        if (condition != raised) {
            raised = condition;
            changes.push_back(
                {warning, condition, condition ? std::move(raisedText) : std::move(clearedText)});
        }
    };

    const int quietDays = facts.quietLimit > 0 ? quietWorkingDays(facts.lastCall, facts.now) : 0;
    change(HealthWarning::QuietLine, facts.quietLimit > 0 && quietDays >= facts.quietLimit,
           fillIn(loadString(str::kQuietLine), {std::to_string(quietDays)}),
           loadString(str::kQuietLineEnded));

    // The return of the input is told as it happens (the capture's own notice).
    change(HealthWarning::InputLost,
           facts.inputLostSince && facts.now - *facts.inputLostSince > kInputPatience,
           loadString(str::kInputUnavailable), {});

    const bool filling = facts.daysUntilFull && *facts.daysUntilFull < kDiskWarningDays;
    change(HealthWarning::DiskFilling, filling,
           fillIn(loadString(str::kDiskFilling), {std::to_string(facts.daysUntilFull.value_or(0))}),
           loadString(str::kDiskFillingEnded));
    return changes;
}

}  // namespace ambrin
