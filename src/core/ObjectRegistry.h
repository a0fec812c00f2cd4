#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace ambrin {

// Anything that can be registered by name.
class RegisteredObject {
  public:
    virtual ~RegisteredObject() = default;
};

// Name-to-object map shared by all threads ("MainWindow", "pcm_volume"). Names compare
// exactly. Objects are shared, so a looked-up object stays valid while the caller uses it.
class ObjectRegistry {
  public:
    // Registers or replaces. Returns 0.
    int registerObject(std::string name, std::shared_ptr<RegisteredObject> object);
    // Returns 0 when it was registered, 1 otherwise.
    int unregisterObject(std::string_view name);
    // Returns 0 and the object when found, 1 otherwise.
    int lookup(std::string_view name, std::shared_ptr<RegisteredObject>& out) const;
    bool contains(std::string_view name) const;
    void clear();

    template <typename T>
    std::shared_ptr<T> find(std::string_view name) const {
        std::shared_ptr<RegisteredObject> object;
        lookup(name, object);
        return std::dynamic_pointer_cast<T>(object);
    }

  private:
    mutable std::mutex m_mutex;  // guards m_objects
    std::map<std::string, std::shared_ptr<RegisteredObject>, std::less<>> m_objects;
};

}  // namespace ambrin
