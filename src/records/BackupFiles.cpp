#include "records/BackupFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "records/RecordDatabase.h"

namespace ambrin {

namespace {

// Names of the regular files of a folder; empty when it cannot be read.
std::vector<std::string> fileNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_regular_file(error)) {
            names.push_back(it->path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::int64_t BackupDate::dayNumber() const {
    using namespace std::chrono;
    const year_month_day date{std::chrono::year(year),
                              std::chrono::month(static_cast<unsigned>(month)),
                              std::chrono::day(static_cast<unsigned>(day))};
    return sys_days(date).time_since_epoch().count();
}

std::string BackupDate::name() const {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
    return text;
}

BackupDate currentUtcDate() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::gmtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday};
}

std::string backupPartName(const BackupDate& date, int part) {
    if (part == 0) {
        return date.name() + ".odk";
    }
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".od%02d", part);
    return date.name() + suffix;
}

std::string backupDateName(const std::string& fileName) {
    return fileName.substr(0, fileName.find_first_of(".odk"));
}

std::optional<BackupDate> parseBackupDate(const std::string& fileName) {
    const std::string name = backupDateName(fileName);
    if (name.size() != 8 ||
        !std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isdigit(c); })) {
        return std::nullopt;
    }
    const BackupDate date{std::stoi(name.substr(0, 4)), std::stoi(name.substr(4, 2)),
                          std::stoi(name.substr(6, 2))};
    using namespace std::chrono;
    const year_month_day check{std::chrono::year(date.year),
                               std::chrono::month(static_cast<unsigned>(date.month)),
                               std::chrono::day(static_cast<unsigned>(date.day))};
    if (!check.ok()) {
        return std::nullopt;
    }
    return date;
}

std::optional<int> backupPartIndex(const std::string& fileName) {
    const std::size_t dot = fileName.find('.');
    if (dot == std::string::npos) {
        return std::nullopt;
    }
    const std::string extension = fileName.substr(dot);
    if (extension == ".odk") {
        return 0;
    }
    if (extension.size() == 5 && startsWith(extension, ".od") &&
        std::isdigit(static_cast<unsigned char>(extension[3])) &&
        std::isdigit(static_cast<unsigned char>(extension[4]))) {
        const int part = std::stoi(extension.substr(3));
        return part > 0 ? std::optional<int>(part) : std::nullopt;
    }
    return std::nullopt;
}

std::vector<BackupEntry> listBackups(const std::string& folder) {
    std::vector<BackupEntry> entries;
    for (const std::string& name : fileNames(folder)) {
        if (name.size() <= 4 || name.compare(name.size() - 4, 4, ".odk") != 0) {
            continue;
        }
        BackupEntry entry;
        entry.displayName = backupDateName(name);
        entry.fileName = name;
        struct stat info {};
        if (::stat((withSlash(folder) + name).c_str(), &info) == 0) {
            std::tm parts{};
            ::gmtime_r(&info.st_mtime, &parts);
            char date[32];
            std::snprintf(date, sizeof date, "%d-%02d-%02d", parts.tm_year + 1900, parts.tm_mon + 1,
                          parts.tm_mday);
            entry.date = date;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<std::string> backupFilesOf(const std::string& folder, const std::string& dateName) {
    std::vector<std::string> files;
    if (dateName.empty()) {
        return files;
    }
    for (const std::string& name : fileNames(folder)) {
        if (startsWith(name, dateName + ".")) {
            files.push_back(name);
        }
    }
    // Parts in their order (".odk", ".od01", ".od02", ... ".od100"), other names after them.
    std::stable_sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
        const auto partA = backupPartIndex(a);
        const auto partB = backupPartIndex(b);
        if (partA && partB) {
            return *partA < *partB;
        }
        return partA.has_value() && !partB.has_value();
    });
    return files;
}

bool deleteBackup(const std::string& folder, const std::string& dateName) {
    bool deleted = true;
    for (const std::string& name : backupFilesOf(folder, dateName)) {
        if (::unlink((withSlash(folder) + name).c_str()) != 0) {
            deleted = false;
        }
    }
    return deleted;
}

std::string withSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

BackupPlaces backupPlaces(const AppContext& context) {
    BackupPlaces places;
    if (!context.settings) {
        return places;
    }
    std::string value;
    if (context.settings->readString(setting::kDatabasePath, value) == kSettingsOk) {
        places.recordingFolder = withSlash(value);
    }
    if (context.settings->readString(setting::kDBBackupPath, value) == kSettingsOk) {
        places.backupFolder = withSlash(value);
    }
    places.databaseFile = RecordDatabase::databasePath(context);
    return places;
}

}  // namespace ambrin
