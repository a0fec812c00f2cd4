#include "wizard/InstalledProgram.h"

#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "platform/Registry.h"
#include "support/Signals.h"

namespace ambrin::test {

using namespace std::chrono_literals;

void writeShortCallSettings() {
    auto key = RegistryKey::create(Hive::CurrentUser, "SOFTWARE\\Tavix\\Ambrin+ v2.0");
    ASSERT_TRUE(key);
    key->setDword("RecordFormat", 2);
    key->setDword("TimeOfCallEnd", 2);
    key->setDword("MinimumRecordTime", 0);
}

std::string recordOneCall(AudioLine& line, const std::string& program,
                          const std::vector<std::string>& prefix, const std::string& outputFolder) {
    if (!line.available()) {
        return "no test line";
    }
    std::vector<std::string> arguments(prefix.begin(), prefix.end());
    std::string command = program;
    if (!arguments.empty()) {
        command = arguments.front();
        arguments.erase(arguments.begin());
        arguments.push_back(program);
    }
    arguments.push_back("--headless");
    ChildProcess child(command, arguments, outputFolder);
    if (!child.waitForOutput("ambrin: running", 10s)) {
        const auto ended = child.wait(0ms);
        return "did not start" + (ended ? " (exit " + std::to_string(*ended) + ")" : "") + ": " +
               child.output() + child.errors();
    }
    signals::Samples call = signals::noise(1.0, 200, 3);
    signals::append(call, signals::tone(350, 2.0, 14000));
    line.write(call);
    if (!child.waitForOutput("event 27 recording", 10s)) {
        return "did not record: " + child.output() + child.errors();
    }
    for (int i = 0; i < 40 && !child.waitForOutput("event 24 idle", 0ms); ++i) {
        line.write(signals::silence(0.5));
        std::this_thread::sleep_for(20ms);
    }
    if (!child.waitForOutput("event 24 idle", 2s)) {
        return "the call did not end: " + child.output();
    }
    child.signal(SIGTERM);
    if (child.wait(5s) != 0) {
        return "did not end cleanly: " + child.output() + child.errors();
    }
    return {};
}

std::vector<std::string> folderListing(const std::string& folder) {
    std::vector<std::string> listing;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        struct stat info {};
        ::lstat(entry.path().c_str(), &info);
        listing.push_back(entry.path().string() + " " + std::to_string(info.st_mode) + " " +
                          std::to_string(info.st_size) + " " + std::to_string(info.st_ctime));
    }
    std::sort(listing.begin(), listing.end());
    return listing;
}

}  // namespace ambrin::test
