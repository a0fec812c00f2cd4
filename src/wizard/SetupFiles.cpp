#include "wizard/SetupFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform/Folders.h"
#include "platform/Registry.h"
#include "platform/StringTable.h"
#include "wizard/FileInstaller.h"

namespace ambrin::wizard {

namespace {

constexpr const char* kEnglishFolder = "_eng";
constexpr const char* kInstallPath = "InstallPath";

std::string envOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

std::string homeFolder() {
    return envOr("HOME", "/tmp");
}

std::string withSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

// Repeated slashes folded and the final one dropped (the root stays "/").
std::string normalFolder(const std::string& folder) {
    std::string out;
    for (const char c : folder) {
        if (c != '/' || out.empty() || out.back() != '/') {
            out += c;
        }
    }
    while (out.size() > 1 && out.back() == '/') {
        out.pop_back();
    }
    return out;
}

// The system's language from the locale variables, in the order the C library reads them.
bool koreanLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return std::string_view(value).substr(0, 2) == "ko";
        }
    }
    return false;
}

// A value of a desktop entry: the characters its format gives a meaning escaped.
std::string entryValue(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

// A path as one argument of Exec: quoted, with the characters quoting keeps special
// escaped (and the escapes doubled once more by the value's own escaping).
std::string execArgument(const std::string& path) {
    std::string quoted = "\"";
    for (const char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        if (c == '%') {
            quoted += '%';
        }
        quoted += c;
    }
    return quoted + "\"";
}

void writeEntry(const std::string& folder, const std::string& installFolder) {
    if (!makeFolders(folder, 0755)) {
        return;
    }
    const std::string program = installFolder + setupFiles().front().destination;
    const std::string path = folder + "/" + kDesktopEntryName;
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << "[Desktop Entry]\n"
               "Type=Application\n"
               "Version=1.0\n"
               "Name="
            << kProductName
            << "\n"
               "GenericName=Telephone Call Recorder\n"
               "GenericName[ko]=전화 통화 녹음기\n"
               "Comment=Records telephone calls and keeps a record of each call\n"
               "Comment[ko]=전화 통화를 녹음하고 통화마다 기록을 남깁니다\n"
               "Exec="
            << entryValue(execArgument(program)) << "\nPath=" << entryValue(installFolder)
            << "\nIcon=ambrin\n"
               "Terminal=false\n"
               "Categories=AudioVideo;Audio;Recorder;Office;\n";
        if (!out) {
            ::unlink(temporary.c_str());
            return;
        }
    }
    // A desktop entry on the desktop runs only when it is executable (a trusted launcher).
    ::chmod(temporary.c_str(), 0755);
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
    }
}

}  // namespace

const std::vector<SetupFile>& setupFiles() {
    static const std::vector<SetupFile> files = {
        {"ambrin_", "ambrin", false},
        {"setup", "refrex", false},
        {"libwizard.so", "libwizard.so", false},
        {"ambrin.vsk_", "ambrin.vsk", false},
        {"readme.txt", "readme.txt", false},
        {"ambrin.pdf", "AMBRIN.pdf", false},
        {"DefaultContent.txt_", "DefaultContent.txt", false},
        {"Ambrin_Large.VSK_", "Ambrin_Large.VSK", false},
        {"libmp3lame.so.0_", "libmp3lame.so.0", true},
        {"dbtrans_", "dbtrans", true},
    };
    return files;
}

std::string installedFolder() {
    const auto key = RegistryKey::open(Hive::CurrentUser, kUserKey);
    RegValue value;
    if (!key || key->query(kInstallPath, value) != RegResult::Ok || value.type != RegType::String ||
        value.text.empty()) {
        return {};
    }
    const std::size_t slash = value.text.rfind('/');
    return slash == std::string::npos ? "/" : value.text.substr(0, slash + 1);
}

std::string proposedFolder() {
    const std::string installed = installedFolder();
    if (!installed.empty()) {
        return installed;
    }
    return ::geteuid() == 0 ? "/opt/Ambrin/" : homeFolder() + "/.local/opt/Ambrin/";
}

std::string folderWithProduct(std::string chosen) {
    return withSlash(withSlash(normalFolder(chosen)) + "Ambrin");
}

bool sameFolder(const std::string& a, const std::string& b) {
    return normalFolder(a) == normalFolder(b);
}

int chooseLanguage(int requested, const std::string& libraryFolder) {
    if (requested == kLangEnglish ||
        !fileExists(withSlash(libraryFolder) + kEnglishFolder + "/readme.txt")) {
        return kLangEnglish;
    }
    return koreanLocale() ? kLangKorean : kLangEnglish;
}

std::string sourceFolder(const std::string& libraryFolder, int language) {
    const std::string folder = withSlash(libraryFolder);
    if (language == kLangEnglish && folder.find(kEnglishFolder) == std::string::npos) {
        return folder + kEnglishFolder + "/";
    }
    return folder;
}

bool installFile(const std::string& sourceFolder, const std::string& installFolder,
                 const SetupFile& file) {
    std::string source = sourceFolder + file.source;
    struct stat info {};
    if (::stat(source.c_str(), &info) != 0) {
        // "_eng/" carries the English texts only; the rest is shared with the folder above.
        const std::size_t english = sourceFolder.rfind(std::string(kEnglishFolder) + "/");
        if (english != std::string::npos && english + 5 == sourceFolder.size()) {
            source = sourceFolder.substr(0, english) + file.source;
        }
    }
    if (::stat(source.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return file.optional;
    }
    const std::string destination = installFolder + file.destination;
    // A write-protected old copy is made writable first, as the replacement needs it.
    struct stat old {};
    if (::stat(destination.c_str(), &old) == 0) {
        ::chmod(destination.c_str(), (old.st_mode & 07777) | S_IWUSR);
    }
    if (!replaceFile(source, destination)) {
        return false;
    }
    return ::chmod(destination.c_str(), info.st_mode & 0777) == 0;
}

bool removeFile(const std::string& installFolder, const SetupFile& file) {
    const std::string destination = installFolder + file.destination;
    return ::unlink(destination.c_str()) == 0 || !fileExists(destination);
}

std::string applicationsFolder() {
    return envOr("XDG_DATA_HOME", homeFolder() + "/.local/share") + "/applications";
}

std::string desktopFolder() {
    // The desktop folder of xdg-user-dirs, else ~/Desktop.
    std::ifstream dirs(envOr("XDG_CONFIG_HOME", homeFolder() + "/.config") + "/user-dirs.dirs");
    std::string line;
    while (std::getline(dirs, line)) {
        const std::string prefix = "XDG_DESKTOP_DIR=\"";
        if (line.rfind(prefix, 0) == 0 && line.size() > prefix.size() && line.back() == '"') {
            std::string value = line.substr(prefix.size(), line.size() - prefix.size() - 1);
            if (value.rfind("$HOME", 0) == 0) {
                value = homeFolder() + value.substr(5);
            }
            if (!value.empty() && value.front() == '/') {
                return normalFolder(value);
            }
        }
    }
    return homeFolder() + "/Desktop";
}

void writeDesktopEntries(const std::string& installFolder, bool onDesktop) {
    if (onDesktop) {
        writeEntry(desktopFolder(), installFolder);
    }
    writeEntry(applicationsFolder(), installFolder);
}

void removeDesktopEntries() {
    for (const std::string& folder : {desktopFolder(), applicationsFolder()}) {
        ::unlink((folder + "/" + kDesktopEntryName).c_str());
    }
}

void writeUninstallEntry(const std::string& programPath, bool removed) {
    const auto key = RegistryKey::create(Hive::LocalMachine, kUninstallKey);
    if (!key) {
        return;
    }
    key->setString("DisplayName", removed ? "" : kProductName);
    key->setString("DisplayIcon", programPath);
    key->setString("UninstallString", programPath + " /uninstall");
    key->setString("Publisher", kPublisher);
}

void writeInstalledLanguage(int language) {
    if (const auto key = RegistryKey::create(Hive::LocalMachine, kMachineKey)) {
        key->setDword("Language", static_cast<std::uint32_t>(language));
    }
}

void deleteUserSettings() {
    const std::string file = RegistryKey::filePathFor(Hive::CurrentUser, kUserKey);
    if (!file.empty()) {
        ::unlink(file.c_str());
        ::unlink((file + ".lock").c_str());
    }
}

}  // namespace ambrin::wizard
