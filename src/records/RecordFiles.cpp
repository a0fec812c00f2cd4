#include "records/RecordFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/UniqueFd.h"
#include "records/RecordDisplay.h"

namespace ambrin {

bool copyWithoutReplacing(const std::string& path, const std::string& folder) {
    const UniqueFd source(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!source) {
        return false;
    }
    const std::string target =
        folder + (!folder.empty() && folder.back() == '/' ? "" : "/") + recordingFileName(path);
    // O_EXCL: an existing file of that name is left as it is.
    const UniqueFd copy(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (!copy) {
        return false;
    }
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(source.get(), buffer, sizeof buffer);
        if (got == 0) {
            return true;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        ssize_t done = 0;
        while (done < got) {
            const ssize_t put = ::write(copy.get(), buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put <= 0) {
                std::remove(target.c_str());
                return false;
            }
            done += put;
        }
    }
    std::remove(target.c_str());
    return false;
}

}  // namespace ambrin
