#include "skin/SkinManager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "core/SettingsStore.h"
#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "platform/StringTable.h"
#include "platform/TextHelpers.h"
#include "skin/ArchiveHandles.h"
#include "skin/SkinArchive.h"
#include "skin/SkinBuilder.h"
#include "skin/SkinNames.h"
#include "skin/SkinPaths.h"
#include "skin/SkinResults.h"
#include "skin/UnpackFolder.h"

namespace ambrin {

namespace {

constexpr size_t kCopyBufferSize = 65536;
constexpr unsigned kMessageFlags = kMbOk | kMbIconWarning;

bool copyAll(int from, int to) {
    std::vector<char> buffer(kCopyBufferSize);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            return true;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t written =
                ::write(to, buffer.data() + done, static_cast<size_t>(got - done));
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                return false;
            }
            done += written;
        }
    }
}

// Copies a regular file over `target` through a temporary file beside it, so that the
// target is either the old file or the whole new one.
bool copyPackage(const std::string& source, const std::string& target) {
    UniqueFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat from {};
    if (!in || ::fstat(in.get(), &from) != 0 || !S_ISREG(from.st_mode)) {
        return false;
    }
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && existing.st_dev == from.st_dev &&
        existing.st_ino == from.st_ino) {
        return true;  // already in place; copying onto itself would empty it
    }
    std::string temporary = target + ".XXXXXX";
    UniqueFd out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!out) {
        return false;
    }
    const bool copied = copyAll(in.get(), out.get()) && ::fchmod(out.get(), 0644) == 0 &&
                        ::close(out.release()) == 0 &&
                        ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!copied) {
        ::unlink(temporary.c_str());
    }
    return copied;
}

bool hasPackageExtension(const std::string& name) {
    return equalsNoCase(fileExtensionOf(name), skin::kPackageExtension);
}

}  // namespace

SkinManager::SkinManager(SettingsStore& settings) : m_settings(settings) {
    std::string path;
    if (m_settings.readString(setting::kSkinPath, path, kTextCapacity) == kSettingsOk &&
        !path.empty()) {
        if (!folderExists(path)) {
            m_currentSkinName = skinNameOf(path);
        }
    } else {
        m_currentSkinName = skinNameOf(defaultSkinPath());
    }
}

std::string SkinManager::installFolder() const {
    return m_settings.stringOr(setting::kInstallPath, m_settings.programFolder());
}

std::string SkinManager::addedSkinFolder() const {
    return writableFolderFor(installFolder());
}

std::string SkinManager::defaultSkinPath() const {
    return joinPath(installFolder(), skin::kDefaultSkinFile);
}

SkinList SkinManager::listSkins() const {
    SkinList skins;
    // The installation's skins, then those this user added where the installation is
    // read-only: an added skin of the same name wins.
    const std::string folder = installFolder();
    const std::string added = addedSkinFolder();
    for (const std::string& place : {folder, added}) {
        DirStream dir(::opendir(place.c_str()));
        if (!dir) {
            continue;
        }
        std::vector<std::string> names;
        while (const dirent* entry = ::readdir(dir.get())) {
            const std::string name = entry->d_name;
            if (hasPackageExtension(name) && fileExists(joinPath(place, name))) {
                names.push_back(name);
            }
        }
        // Sorted, so that of two names differing only in case the same one wins every time.
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            skins[skinNameOf(name)] = joinPath(place, name);
        }
        if (joinPath(added, "") == joinPath(folder, "")) {
            break;  // one folder for both
        }
    }
    return skins;
}

int SkinManager::selectSkin(const std::string& path) {
    const int result = m_settings.writeString(setting::kSkinPath, path);
    m_currentSkinName = skinNameOf(path);
    return result;
}

int SkinManager::addSkin(std::string& path, bool forceExtension) {
    const std::string extension = forceExtension ? skin::kPackageExtension : fileExtensionOf(path);
    const std::string target = joinPath(addedSkinFolder(), fileStemOf(path) + extension);
    if (!copyPackage(path, target)) {
        return skin::kCopyFailed;
    }
    path = target;
    return skin::kOk;
}

int SkinManager::deleteSkin(const std::string& path) {
    return ::unlink(path.c_str()) == 0 ? skin::kOk : skin::kDeleteFailed;
}

std::string SkinManager::installedPackage(const std::string& skinName) const {
    const std::string path = joinPath(installFolder(), skinName + skin::kPackageExtension);
    const std::string added = joinPath(addedSkinFolder(), skinName + skin::kPackageExtension);
    if (fileExists(added)) {
        return added;
    }
    if (fileExists(path)) {
        return path;
    }
    // The list holds upper-case names; the file may be "ambrin.vsk".
    const SkinList skins = listSkins();
    const auto found = skins.find(asciiUpper(skinName));
    return found != skins.end() ? found->second : path;
}

int SkinManager::readSkinInfo(const std::string& skinName, SkinInfo& info) {
    m_info = {};
    info = {};
    const std::string package = installedPackage(skinName);
    UnpackFolder folder;
    if (!folder.valid()) {
        return skin::kTempFolderFailed;
    }
    SkinArchive archive;
    const int extracted = archive.extract(package, folder.path());
    if (extracted != skin::kOk) {
        return extracted;
    }
    if (parseFile(joinPath(folder.path(), skin::kDescriptionFile)) == skin::kOk) {
        info = m_info;
    }
    return skin::kOk;
}

int SkinManager::loadSkin(const std::string& skinPath, SkinBuilder& builder,
                          std::string& errorText) {
    errorText.clear();
    if (!skinPath.empty() && folderExists(skinPath)) {
        return builder.buildSkin(skinPath, joinPath(skinPath, skin::kDescriptionFile));
    }
    UnpackFolder folder;
    if (!folder.valid()) {
        showStringMessage(str::kSkinTempFolderFailed, kMessageFlags);
        return skin::kTempFolderFailed;
    }
    SkinArchive archive;
    const int extracted = archive.extract(skinPath, folder.path());
    if (extracted != skin::kOk) {
        const bool notOpened = extracted == skin::kOpenFailed;
        if (!notOpened) {
            showStringMessage(str::kSkinExtractFailed, kMessageFlags);
        } else if (!skinPath.empty()) {
            showStringMessage(str::kSkinOpenFailed, kMessageFlags);
        }
        const std::string fallback = defaultSkinPath();
        if (archive.extract(fallback, folder.path()) != skin::kOk) {
            errorText = loadString(str::kSkinNotFound);
            return skin::kTempFolderFailed;
        }
        if (notOpened) {
            selectSkin(fallback);
        }
    }
    // The unpacked files go with `folder` once the builder has loaded what it needs.
    return builder.buildSkin(folder.path(), joinPath(folder.path(), skin::kDescriptionFile));
}

int SkinManager::startElement(const std::string& name, const Attributes& attributes) {
    if (name != skin::kSkinInfoElement) {
        return 0;
    }
    if (const auto found = attributes.find(skin::kNameAttribute); found != attributes.end()) {
        m_info.name = cutToBytes(found->second, kTextCapacity - 1);
    }
    if (const auto found = attributes.find(skin::kDateAttribute); found != attributes.end()) {
        m_info.date = cutToBytes(found->second, kTextCapacity - 1);
    }
    return 0;
}

int SkinManager::endElement(const std::string& /*name*/) {
    return 0;
}

}  // namespace ambrin
