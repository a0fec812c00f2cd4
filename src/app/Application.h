#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/EngineParts.h"

namespace ambrin {

class SettingsStore;
class Semaphore;

// Exit codes of the main program. A start that is refused ends with the code of its cause,
// so that a service manager sees the failure; `--help` and README.md list them.
namespace exit_code {
inline constexpr int kOk = 0;            // a normal quit, or a second start that woke the first
inline constexpr int kNotDelivered = 1;  // --command: no running Ambrin+ took it
inline constexpr int kUsage = 2;         // an unknown argument
inline constexpr int kOtherBusy = 3;     // another instance is starting or ending
inline constexpr int kDiskSpaceLow = 4;  // the database's disk has 40 MB or less free
inline constexpr int kDatabaseUnavailable = 5;  // the database cannot be opened or created
inline constexpr int kDatabaseDamaged = 6;      // the database file is damaged (left as it is)
inline constexpr int kNoAudioInput = 7;         // the audio input cannot be opened
}  // namespace exit_code

struct LaunchOptions {
    bool headless = false;  // no windows, state changes on standard output
    std::string command;    // --command NAME: send it to the running instance and end
    bool verbose = false;   // --verbose: the windows print the engine's state changes too
};

// Free bytes of the volume that holds a path, or nothing when it cannot be told.
using FreeSpaceProbe = std::function<std::optional<std::uint64_t>(const std::string&)>;

// The database drive must have more than 40 MiB free. True when it has, or when it cannot
// be told (no "DatabasePath" value, or the volume cannot be asked).
bool checkDiskSpace(const SettingsStore& settings, const FreeSpaceProbe& probe);

// What happened when this start looked for a running instance.
enum class InstanceClaim {
    First,      // this process is the one instance now
    WokeOther,  // another instance runs and was woken up; this one ends
    OtherBusy,  // another instance holds the lock but shows no window (starting or ending)
};

// Sends a command-line command (record, stop, play, pause, quit, options, list) to the
// running instance. Returns the process exit code: 0 when delivered, kNotDelivered otherwise
// (with a message on standard error).
int sendCommandToRunningInstance(std::string_view name);

// Start-up, the run and shutdown of the main program. Returns the exit code.
class Application {
  public:
    explicit Application(LaunchOptions options);

    // Hooks the later subsystems fill; each may be left empty.
    struct Hooks {
        // Runs the scheduled start-up backup; returns when it is done.
        std::function<void(AppContext&)> startupBackup;
        // Opens the call-record database: exit_code::kOk, or the code the program ends with.
        std::function<int(AppContext&)> openDatabase;
        std::function<void()> closeDatabase;
        // Background work on the records begun while opening the database (the first
        // indexing for search): runs on a thread of its own while the engine records, and
        // ends soon after `stop` is set at shutdown.
        std::function<void(AppContext&, const std::atomic<bool>& stop)> backgroundWork;
        // Replaces the default free-space probe (tests).
        FreeSpaceProbe freeSpace;
        // Waits until the exit semaphore is released; the GUI runs its event loop here.
        // Empty: block on the semaphore.
        std::function<void(Semaphore&)> waitForExit;
    };

    int run(EngineParts parts, Hooks hooks);

    // Whether the process runs without windows (asked for, or no display can be opened).
    bool headless() const { return m_options.headless; }

  private:
    void trace(const std::string& line) const;

    LaunchOptions m_options;
};

}  // namespace ambrin
