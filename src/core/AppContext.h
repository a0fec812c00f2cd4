#pragma once

#include <memory>
#include <mutex>
#include <string>

namespace ambrin {

struct CallRecord;
class CallContentList;
class SettingsStore;
class ObjectRegistry;
class EventSink;

// The one shared application object. Created by the main thread at start-up and freed by
// it last; every other object keeps a plain pointer to it. The pointers are set during
// start-up before any other thread runs and stay fixed until shutdown; the texts are
// read and written from several threads under the context's own lock.
class AppContext {
  public:
    SettingsStore* settings = nullptr;        // owned by the start-up code
    ObjectRegistry* registry = nullptr;       // lives in the controller
    EventSink* events = nullptr;              // where engine parts post; set by the controller
    std::string programFolder;                // ends in '/'
    CallContentList* callContents = nullptr;  // the stock call contents, owned by start-up

    // Full path of the recording last made or last chosen for playback; empty at start.
    std::string currentFile() const;
    void setCurrentFile(std::string path);

    // The two information slots of a call, shared by the recording-information dialog and
    // the storing of a recording, which may meet in the same instant: whoever reads one and
    // then changes either holds this lock for the whole step.
    //   PendingInformation: information confirmed while the call was still recorded, or null.
    //   LastRecordKey: key of the last recording stored without information, or empty.
    std::unique_lock<std::mutex> lockInformation() const {
        return std::unique_lock(m_informationMutex);
    }
    // Under lockInformation() only.
    std::unique_ptr<CallRecord>& pendingInformation() { return m_pendingInformation; }
    std::string& lastRecordKeyLocked() { return m_lastRecordKey; }
    // The number the line told for the call being recorded (empty: none); `dialled` when it
    // is the number dialled from here. Cleared when a recording starts; the stored record
    // takes it as its phone number unless the user gave the call other information.
    struct LineNumber {
        std::string number;
        bool dialled = false;
    };
    LineNumber& lineNumberLocked() { return m_lineNumber; }

    // Single steps that take the lock themselves.
    std::string lastRecordKey() const;
    void setLastRecordKey(std::string key);

    AppContext();
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

  private:
    mutable std::mutex m_mutex;  // guards m_currentFile
    std::string m_currentFile;
    mutable std::mutex m_informationMutex;  // guards the information slots
    std::unique_ptr<CallRecord> m_pendingInformation;
    std::string m_lastRecordKey;
    LineNumber m_lineNumber;
};

}  // namespace ambrin
