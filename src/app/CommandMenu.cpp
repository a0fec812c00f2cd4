#include "app/CommandMenu.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QMenu>

#include "app/MenuCommands.h"
#include "core/EngineState.h"

namespace ambrin {

namespace {

struct Entry {
    int id;  // 0: a separator
    const char* text;
};

// In menu order. A popup menu without a window of its own is not something a form holds,
// so its entries are listed here; lupdate takes the texts from QT_TRANSLATE_NOOP.
constexpr Entry kEntries[] = {
    {cmd::kRecord, QT_TRANSLATE_NOOP("CommandMenu", "&Record")},
    {cmd::kPlay, QT_TRANSLATE_NOOP("CommandMenu", "&Play")},
    {cmd::kPause, QT_TRANSLATE_NOOP("CommandMenu", "Pa&use")},
    {cmd::kStop, QT_TRANSLATE_NOOP("CommandMenu", "&Stop")},
    {0, nullptr},
    {cmd::kAutomatic, QT_TRANSLATE_NOOP("CommandMenu", "Automatic")},
    {cmd::kManual, QT_TRANSLATE_NOOP("CommandMenu", "Manual")},
    {0, nullptr},
    {cmd::kRecordList, QT_TRANSLATE_NOOP("CommandMenu", "Record &List")},
    {cmd::kOptions, QT_TRANSLATE_NOOP("CommandMenu", "&Options")},
    {cmd::kVolumeWizard, QT_TRANSLATE_NOOP("CommandMenu", "&Volume Control Wizard")},
    {0, nullptr},
    {cmd::kHelp, QT_TRANSLATE_NOOP("CommandMenu", "&Help")},
    {cmd::kExit, QT_TRANSLATE_NOOP("CommandMenu", "E&xit")},
};

}  // namespace

TransportStates mainMenuStates(EngineState state, bool currentFileSet) {
    switch (state) {
        case EngineState::Idle:
            return {true, currentFileSet, false, false};
        case EngineState::Recording:
            return {false, false, false, true};
        case EngineState::Playing:
            return {false, false, true, true};
        case EngineState::Paused:
            return {true, true, true, true};
    }
    return {};
}

TransportStates trayMenuStates(TrayMirror mirror, bool currentFileSet) {
    switch (mirror) {
        case TrayMirror::Idle:
            return {true, currentFileSet, false, false};
        case TrayMirror::Playing:
        case TrayMirror::Paused:
            return {false, false, true, true};
        case TrayMirror::Recording:
            return {false, false, false, true};
    }
    return {};
}

QMenu* createCommandMenu(const TransportStates& states, int recordMode, QWidget* parent) {
    auto* menu = new QMenu(parent);
    auto* modes = new QActionGroup(menu);  // Automatic and Manual exclude each other
    for (const Entry& entry : kEntries) {
        if (entry.id == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QCoreApplication::translate("CommandMenu", entry.text));
        action->setData(entry.id);
        switch (entry.id) {
            case cmd::kRecord:
                action->setEnabled(states.record);
                break;
            case cmd::kPlay:
                action->setEnabled(states.play);
                break;
            case cmd::kPause:
                action->setEnabled(states.pause);
                break;
            case cmd::kStop:
                action->setEnabled(states.stop);
                break;
            case cmd::kAutomatic:
            case cmd::kManual:
                action->setCheckable(true);
                action->setChecked((recordMode != 0) == (entry.id == cmd::kManual));
                modes->addAction(action);
                break;
            default:
                break;
        }
    }
    return menu;
}

}  // namespace ambrin
