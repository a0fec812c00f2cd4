#include "wizard/FileInstaller.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/UniqueFd.h"

namespace ambrin::wizard {

namespace {

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size);
        if (done <= 0) {
            return false;
        }
        data += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

}  // namespace

bool replaceFile(const std::string& source, const std::string& target) {
    const UniqueFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) {
        return false;
    }
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temporary = folder + "/." + name + ".XXXXXX";
    const UniqueFd out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (out.get() < 0) {
        return false;
    }
    std::vector<char> buffer(64 * 1024);
    bool ok = true;
    bool first = true;
    mode_t mode = 0644;
    struct stat old {};
    const bool replacing = ::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    if (replacing) {
        mode = old.st_mode & 07777;
    }
    for (;;) {
        const ssize_t got = ::read(in.get(), buffer.data(), buffer.size());
        if (got < 0) {
            ok = false;
            break;
        }
        if (got == 0) {
            break;
        }
        if (first && !replacing && got >= 4 &&
            std::memcmp(buffer.data(),
                        "\x7f"
                        "ELF",
                        4) == 0) {
            mode = 0755;
        }
        first = false;
        if (!writeAll(out.get(), buffer.data(), static_cast<std::size_t>(got))) {
            ok = false;
            break;
        }
    }
    ok = ok && ::fchmod(out.get(), mode) == 0 && ::fsync(out.get()) == 0;
    if (!ok || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename itself is durable only once the folder is.
    const UniqueFd directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) {
        ::fsync(directory.get());
    }
    return true;
}

}  // namespace ambrin::wizard
