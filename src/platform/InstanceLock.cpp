#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/WindowEndpoint.h"

namespace ambrin {

InstanceLock::~InstanceLock() {
    release();
}

std::string InstanceLock::path() {
    return WindowEndpoint::folder() + "/instance.lock";
}

bool InstanceLock::tryAcquire() {
    if (m_fd >= 0) {
        return true;
    }
    const int fd = ::open(path().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void InstanceLock::release() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

}  // namespace ambrin
