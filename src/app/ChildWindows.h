#pragma once

#include <string>

namespace ambrin {

// The windows the main window opens with event 16: the record list (id 0) and the options
// (id 2), both pages of the one options window. Everything but selectedRecordFile() is
// called on the GUI thread.
class ChildWindows {
  public:
    static constexpr int kRecordList = 0;
    static constexpr int kOptions = 2;

    virtual ~ChildWindows() = default;
    // Opens the window at the page of `id`. Open with the same id: raised. Open with
    // another id: closed as by Cancel, then opened again at `id`.
    virtual void open(int id) = 0;
    // Closes an open window as by Cancel (the program quits).
    virtual void cancel() = 0;
    // Event 33: a recording was stored or its information changed; an open record list
    // searches again.
    virtual void recordsChanged() = 0;
    // The recording level changed in the mixer; an open page showing it reads it again.
    virtual void recordingLevelChanged() = 0;
    // The file of the record list's selected row while the window is open, its current page
    // is the record list and a row is selected; empty otherwise. Called on the event
    // thread: answers from a copy kept up to date on the GUI thread, never waits for it.
    virtual std::string selectedRecordFile() const = 0;
};

}  // namespace ambrin
