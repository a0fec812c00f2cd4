#include "core/ObjectRegistry.h"

namespace ambrin {

int ObjectRegistry::registerObject(std::string name, std::shared_ptr<RegisteredObject> object) {
    std::lock_guard lock(m_mutex);
    m_objects[std::move(name)] = std::move(object);
    return 0;
}

int ObjectRegistry::unregisterObject(std::string_view name) {
    std::shared_ptr<RegisteredObject> removed;  // freed outside the lock
    std::lock_guard lock(m_mutex);
    const auto it = m_objects.find(name);
    if (it == m_objects.end()) {
        return 1;
    }
    removed = std::move(it->second);
    m_objects.erase(it);
    return 0;
}

int ObjectRegistry::lookup(std::string_view name, std::shared_ptr<RegisteredObject>& out) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_objects.find(name);
    if (it == m_objects.end()) {
        out.reset();
        return 1;
    }
    out = it->second;
    return 0;
}

bool ObjectRegistry::contains(std::string_view name) const {
    std::lock_guard lock(m_mutex);
    return m_objects.find(name) != m_objects.end();
}

void ObjectRegistry::clear() {
    std::map<std::string, std::shared_ptr<RegisteredObject>, std::less<>> removed;
    std::lock_guard lock(m_mutex);
    removed.swap(m_objects);
}

}  // namespace ambrin
