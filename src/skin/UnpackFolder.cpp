#include "skin/UnpackFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/Folders.h"
#include "skin/SkinArchive.h"
#include "skin/SkinNames.h"
#include "skin/SkinPaths.h"

namespace ambrin {

namespace {

constexpr unsigned kNumberRange = 0x10000;

}  // namespace

UnpackFolder::UnpackFolder() {
    const std::string base = joinPath(tempFolder(), skin::kUnpackFolderPrefix);
    // Start somewhere that differs between processes and goes on to the next free number.
    const auto seed =
        static_cast<unsigned>(::getpid()) * 7919u + static_cast<unsigned>(std::time(nullptr));
    for (unsigned step = 0; step < kNumberRange; ++step) {
        const std::string candidate = base + std::to_string((seed + step) % kNumberRange);
        if (::mkdir(candidate.c_str(), 0700) == 0) {
            m_path = candidate;
            return;
        }
        if (errno != EEXIST) {
            return;
        }
    }
}

UnpackFolder::~UnpackFolder() {
    if (valid()) {
        SkinArchive().clearFolder(m_path);
        ::rmdir(m_path.c_str());
    }
}

}  // namespace ambrin
