#include "platform/Folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string_view>

namespace ambrin {

namespace {

std::string envOr(const char* name, std::string fallback) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') {
        return value;
    }
    return fallback;
}

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

}  // namespace

std::string programFile() {
    std::string buffer(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) {
        return {};
    }
    buffer.resize(static_cast<size_t>(length));
    return buffer;
}

std::string programFolder() {
    const std::string file = programFile();
    const size_t slash = file.rfind('/');
    if (slash == std::string::npos) {
        return "./";
    }
    return file.substr(0, slash + 1);
}

std::string temporaryPlaybackFile() {
    return writableFolderFor(programFolder()) + "__temp__.wav";
}

std::string userDataFolder() {
    return withoutTrailingSlash(envOr("XDG_DATA_HOME", envOr("HOME", "/tmp") + "/.local/share"));
}

std::string writableFolderFor(const std::string& installFolder) {
    std::string folder = installFolder;
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    if (!folder.empty() && ::access(folder.c_str(), W_OK) == 0) {
        return folder;
    }
    const std::string own = userDataFolder() + "/Ambrin+";
    makeFolders(own, 0700);
    return own + "/";
}

std::string userConfigFolder() {
    return withoutTrailingSlash(envOr("XDG_CONFIG_HOME", envOr("HOME", "/tmp") + "/.config"));
}

std::string documentsFolder() {
    const std::string home = withoutTrailingSlash(envOr("HOME", "/tmp"));
    std::ifstream dirs(userConfigFolder() + "/user-dirs.dirs");
    std::string line;
    constexpr std::string_view kEntry = "XDG_DOCUMENTS_DIR=\"";
    while (std::getline(dirs, line)) {
        if (line.rfind(kEntry, 0) != 0 || line.size() < kEntry.size() + 1 || line.back() != '"') {
            continue;
        }
        std::string value = line.substr(kEntry.size(), line.size() - kEntry.size() - 1);
        if (value.rfind("$HOME", 0) == 0) {
            value = home + value.substr(5);
        }
        if (!value.empty() && value.front() == '/') {
            return withoutTrailingSlash(value);
        }
    }
    return home + "/Documents";
}

std::string runtimeFolder() {
    return withoutTrailingSlash(
        envOr("XDG_RUNTIME_DIR", "/tmp/ambrin-" + std::to_string(::getuid())));
}

std::string tempFolder() {
    return withoutTrailingSlash(envOr("TMPDIR", "/tmp"));
}

bool makeFolders(const std::string& path, unsigned mode) {
    if (path.empty()) {
        return false;
    }
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos == path.size() || path[pos] == '/') {
            const std::string part = path.substr(0, pos);
            if (::mkdir(part.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST) {
                return false;
            }
        }
    }
    return folderExists(path);
}

bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool folderExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace ambrin
