#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace ambrin {

// The line's troubles that the user is warned of.
enum class HealthWarning { QuietLine, InputLost, DiskFilling };

// A warning that was raised or cleared, with the text to tell.
struct HealthChange {
    HealthWarning warning;
    bool raised;
    std::string text;  // empty when there is nothing to add (the input's return is told already)
};

// What the line's health is judged by at one moment.
struct HealthFacts {
    std::time_t now = 0;
    std::time_t lastCall = 0;                   // the newest call seen (or the program's start)
    int quietLimit = 0;                         // working days; 0 switches that warning off
    std::optional<std::time_t> inputLostSince;  // while the audio input is unavailable
    std::optional<int> daysUntilFull;           // the recordings' disk, at the recent rate
};

// Keeps the three warnings of the line's health: each is raised once when its condition
// begins and cleared once when it ends. Plain state, no clock of its own; the engine
// controller feeds it on its event thread.
class LineHealth {
  public:
    // A silent input is told after this long.
    static constexpr std::time_t kInputPatience = 60;
    // The disk is told when it fills within this many days.
    static constexpr int kDiskWarningDays = 14;
    // The rate of the disk's filling is taken over this many days.
    static constexpr int kRateDays = 30;

    // The warnings that change with these facts, in the order of HealthWarning.
    std::vector<HealthChange> update(const HealthFacts& facts);
    bool raised(HealthWarning warning) const { return m_raised[index(warning)]; }

    // Whole working days (Monday to Friday, local time) that passed between the day of
    // `lastCall` and the day of `now`, both days excluded.
    static int quietWorkingDays(std::time_t lastCall, std::time_t now);
    // Days until `freeBytes` are used up when `recentBytes` were written over kRateDays
    // days; empty when nothing was written.
    static std::optional<int> daysUntilFull(std::uint64_t recentBytes, std::uint64_t freeBytes);

  private:
    static size_t index(HealthWarning warning) { return static_cast<size_t>(warning); }

    std::array<bool, 3> m_raised{};
};

}  // namespace ambrin
