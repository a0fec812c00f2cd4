#pragma once

#include <memory>
#include <mutex>
#include <string>

namespace ambrin {

class SettingsStore;
class ObjectRegistry;
class EngineController;

// The one shared application object. Created by the main thread at start-up and freed by
// it last; every other object keeps a plain pointer to it. The pointers are set during
// start-up before any other thread runs and stay fixed until shutdown; the texts are
// read and written from several threads under the context's own lock.
class AppContext {
public:
    SettingsStore* settings = nullptr;      // owned by the start-up code
    ObjectRegistry* registry = nullptr;     // lives in the controller
    EngineController* controller = nullptr; // set by the controller itself
    std::string programFolder;              // ends in '/'

    // Full path of the recording last made or last chosen for playback; empty at start.
    std::string currentFile() const;
    void setCurrentFile(std::string path);

    // Record key of the last recording stored without information, or empty.
    std::string lastRecordKey() const;
    void setLastRecordKey(std::string key);

private:
    mutable std::mutex m_mutex;  // guards the texts below
    std::string m_currentFile;
    std::string m_lastRecordKey;
};

}  // namespace ambrin
