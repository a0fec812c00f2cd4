#include "records/RecordFileNames.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/TextHelpers.h"

namespace ambrin {

namespace {

// How many characters of the contents go into a file name.
constexpr size_t kContentsInName = 6;

}  // namespace

bool fitsInFileName(std::string_view part) {
    for (const char c : part) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || byte < 0x20 || byte == 0x7F) {
            return false;
        }
    }
    return true;
}

std::string folderOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string recordingTail(std::string_view path) {
    const size_t slash = path.rfind('/');
    std::string_view tail = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t at = tail.find('@');
    if (at != std::string_view::npos) {
        tail = tail.substr(at + 1);
    }
    return std::string(tail);
}

std::string fileExtension(std::string_view path) {
    const size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::string informationPrefix(std::string_view userName, std::string_view name,
                              std::string_view contents, bool& usable) {
    const std::string leading = LeadingCharacters(contents, kContentsInName);
    usable = fitsInFileName(userName) && fitsInFileName(name) && fitsInFileName(leading);
    if (!usable) {
        return {};
    }
    std::string prefix;
    if (!userName.empty()) {
        prefix.append(userName).append("@");
    }
    if (!name.empty()) {
        prefix.append(name).append("_");
    }
    if (!leading.empty()) {
        prefix.append(leading).append("_");
    }
    return prefix;
}

bool moveWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;  // EEXIST among them
    }
    // A file system without RENAME_NOREPLACE: a hard link fails on an existing name too.
    if (::link(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    if (::unlink(from.c_str()) != 0) {
        ::unlink(to.c_str());
        return false;
    }
    return true;
}

}  // namespace ambrin
