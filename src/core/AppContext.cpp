#include "core/AppContext.h"

#include "core/CallRecord.h"
#include "platform/TextHelpers.h"

namespace ambrin {

std::string AppContext::currentFile() const {
    std::lock_guard lock(m_mutex);
    return m_currentFile;
}

void AppContext::setCurrentFile(std::string path) {
    std::lock_guard lock(m_mutex);
    m_currentFile = cutToBytes(path, kTextCapacity - 1);
}

AppContext::AppContext() = default;
AppContext::~AppContext() = default;

std::string AppContext::lastRecordKey() const {
    std::lock_guard lock(m_informationMutex);
    return m_lastRecordKey;
}

void AppContext::setLastRecordKey(std::string key) {
    std::lock_guard lock(m_informationMutex);
    m_lastRecordKey = cutToBytes(key, kTextCapacity - 1);
}

}  // namespace ambrin
