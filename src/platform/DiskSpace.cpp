#include "platform/DiskSpace.h"

#include <sys/statvfs.h>

namespace ambrin {

std::optional<std::uint64_t> freeDiskBytes(const std::string& path) {
    std::string probe = path.empty() ? std::string(".") : path;
    for (;;) {
        struct statvfs info {};
        if (::statvfs(probe.c_str(), &info) == 0) {
            return static_cast<std::uint64_t>(info.f_bfree) *
                   static_cast<std::uint64_t>(info.f_frsize);
        }
        // Walk up to the nearest folder that exists.
        while (probe.size() > 1 && probe.back() == '/') {
            probe.pop_back();
        }
        const size_t slash = probe.rfind('/');
        if (slash == std::string::npos) {
            if (probe == ".") {
                return std::nullopt;
            }
            probe = ".";
        } else if (slash == 0) {
            if (probe == "/") {
                return std::nullopt;
            }
            probe = "/";
        } else {
            probe.resize(slash);
        }
    }
}

}  // namespace ambrin
