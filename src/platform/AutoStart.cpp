#include "platform/AutoStart.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>

#include "platform/Folders.h"

namespace ambrin {

namespace {

// Desktop-entry Exec values need quoting when the path holds blanks or special characters.
std::string quoteForExec(const std::string& path) {
    std::string out = "\"";
    for (const char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

}  // namespace

std::string AutoStart::entryPath() {
    return userConfigFolder() + "/autostart/ambrin.desktop";
}

bool AutoStart::isEnabled() {
    return fileExists(entryPath());
}

bool AutoStart::setEnabled(bool enabled, const std::string& programPath) {
    const std::string folder = userConfigFolder() + "/autostart";
    const std::string path = entryPath();
    if (!enabled) {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
            return false;
        }
        return true;
    }
    if (!makeFolders(folder, 0700)) {
        return false;
    }
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::trunc);
        out << "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Ambrin+\n"
               "Comment=Telephone call recorder\n"
               "Icon=ambrin\n"
               "Exec="
            << quoteForExec(programPath)
            << "\n"
               "Terminal=false\n"
               "X-GNOME-Autostart-enabled=true\n";
        out.flush();
        if (!out) {
            ::unlink(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace ambrin
