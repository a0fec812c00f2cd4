#pragma once

#include <QWidget>
#include <string>

#include "records/OptionValues.h"

namespace ambrin {

class AppContext;

// What a page of the options window reaches through its window. GUI thread only.
class OptionsPageHost {
  public:
    virtual ~OptionsPageHost() = default;

    virtual AppContext& context() = 0;
    // The values as edited; a page changes its fields here and then calls valuesChanged().
    virtual OptionValues& editedValues() = 0;
    // The values as last saved (or loaded when the window opened).
    virtual const OptionValues& savedValues() const = 0;
    // Runs the dirty check: Apply is enabled exactly while the edited values differ from
    // the saved ones.
    virtual void valuesChanged() = 0;
    // The record list page tells the window the file of its selected row (empty without a
    // selection) every time the selection or the list changes; the window answers
    // ChildWindows::selectedRecordFile() from it while that page is the current one.
    virtual void setSelectedRecordFile(const std::string& path) = 0;
};

// One page of the options window: created the first time it is shown, then kept (hidden
// while another page is shown) until the window closes. The base class is the empty page
// that stands in for pages not built yet.
//
// Adding a page (record list, auto backup, retention, ...):
// - derive from OptionsPage, with a constructor (OptionsPageHost&, QWidget* parent) that
//   builds the page from the edited values (host.editedValues());
// - in src/app/OptionsPageTable.cpp, replace the placeholder factory of its row by
//   `makeOptionsPage<YourPage>` (a new page, such as "Retention", gets a row of its own under
//   "Options"; the tree shows the rows in table order);
// - settings of its own: new fields at the end of OptionValues, read in loadOptionValues()
//   and written at the end of saveOptionValues(); the dirty check then covers them.
// The record list page reports its selected row's file through
// host.setSelectedRecordFile(), and receives recordsChanged() (search again) and
// returnPressed() (run the search when the focus is in its search text).
class OptionsPage : public QWidget {
    Q_OBJECT

  public:
    OptionsPage(OptionsPageHost& host, QWidget* parent) : QWidget(parent), m_host(host) {}

    // The page has just been shown (also the first time, after construction).
    virtual void pageShown() {}
    // Return was pressed in the window with `focus` (a child of this page or elsewhere).
    // True when the page took it; otherwise Return does nothing.
    virtual bool returnPressed(QWidget* focus) {
        (void)focus;
        return false;
    }
    // A recording was stored or its information changed.
    virtual void recordsChanged() {}
    // The recording level changed in the mixer.
    virtual void recordingLevelChanged() {}

  protected:
    OptionsPageHost& host() { return m_host; }
    OptionValues& edited() { return m_host.editedValues(); }

  private:
    OptionsPageHost& m_host;
};

template <typename Page>
OptionsPage* makeOptionsPage(OptionsPageHost& host, QWidget* parent) {
    return new Page(host, parent);
}

}  // namespace ambrin
