// The options window: opening at a page, the dirty check behind Apply, the order in which
// Apply writes the settings around the "settings changed" event, and Cancel dropping edits.
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <thread>

#include "app/OptionsDialog.h"
#include "app/OptionsWindow.h"
#include "core/EngineEvent.h"
#include "platform/AutoStart.h"
#include "records/RecordKey.h"
#include "records/RecordsFixture.h"
#include "support/GuiApplication.h"

namespace ambrin {
namespace {

// Takes the events the window posts and notes, at event 32, what the settings held then.
class RecordingSink : public EventSink {
  public:
    explicit RecordingSink(SettingsStore& settings) : m_settings(settings) {}

    int postEvent(std::unique_ptr<EngineEvent> event) override {
        if (event && event->code() == EventCode::SettingsChanged) {
            ++settingsChanged;
            formatAtEvent = m_settings.intOr(setting::kRecordFormat, -1);
            passwordAtEvent = m_settings.stringOr(setting::kPassword, "?");
            userNameAtEvent = m_settings.stringOr(setting::kUserName, "?");
            headerAtEvent = m_settings.stringOr(setting::kDatabaseHeader, "?");
        }
        return 0;
    }

    int settingsChanged = 0;
    int formatAtEvent = -1;
    std::string passwordAtEvent;
    std::string userNameAtEvent;
    std::string headerAtEvent;

  private:
    SettingsStore& m_settings;
};

class OptionsWindowTest : public test::RecordsFixture {
  protected:
    OptionsWindowTest() : sink(*store) {
        test::ensureGuiApplication();
        context.events = &sink;
    }

    void TearDown() override { window.reset(); }

    OptionsDialog* openAt(int id) {
        window->open(id);
        return window->dialog();
    }

    static QPushButton* button(OptionsDialog* dialog, const char* name) {
        return dialog->findChild<QPushButton*>(QString::fromLatin1(name));
    }

    RecordingSink sink;
    std::unique_ptr<OptionsWindow> window =
        std::make_unique<OptionsWindow>(context, OptionsServices{});
};

TEST_F(OptionsWindowTest, OpensAtItsPageAndReopensAtAnotherDroppingEdits) {
    OptionsDialog* first = openAt(ChildWindows::kRecordList);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->currentRow(), kRecordListRow);
    first->editedValues().keepVisible = true;
    first->valuesChanged();
    EXPECT_TRUE(button(first, "buttonApply")->isEnabled());

    // The same page again: the same window, edits kept.
    EXPECT_EQ(openAt(ChildWindows::kRecordList), first);
    EXPECT_TRUE(first->editedValues().keepVisible);

    // Another page: closed as by Cancel and opened again there.
    const QPointer<OptionsDialog> old(first);
    OptionsDialog* second = openAt(ChildWindows::kOptions);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->currentRow(), kGeneralRow);
    EXPECT_FALSE(second->editedValues().keepVisible);
    EXPECT_FALSE(button(second, "buttonApply")->isEnabled());
    EXPECT_FALSE(store->boolOr(setting::kKeepVisible, true));
    EXPECT_TRUE(old.isNull());
    EXPECT_EQ(sink.settingsChanged, 0);

    // "Options" itself shows "General"; every page is made once, when first shown.
    auto* tree = second->findChild<QTreeWidget*>("pageTree");
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    ASSERT_EQ(tree->topLevelItem(1)->childCount(), 9);  // the eight and "Retention"
    second->selectIndex(OptionsDialog::indexOfRow(kCopyrightRow));
    EXPECT_EQ(second->page(kRecordRow), nullptr);
    OptionsPage* general = second->page(kGeneralRow);
    tree->setCurrentItem(tree->topLevelItem(1));
    EXPECT_EQ(second->currentRow(), kGeneralRow);
    EXPECT_EQ(second->page(kGeneralRow), general);
}

TEST_F(OptionsWindowTest, ApplyWritesTheFirstGroupBeforeTheEventAndTheRestAfter) {
    store->writeString(setting::kPassword, "1234");
    store->writeBool(setting::kUsePassword, true);
    const std::string header = store->stringOr(setting::kDatabaseHeader, "?");
    OptionsDialog* dialog = openAt(ChildWindows::kOptions);
    ASSERT_NE(dialog, nullptr);
    QPushButton* apply = button(dialog, "buttonApply");

    // A change made and taken back leaves nothing to apply.
    dialog->editedValues().recordFormat = 2;
    dialog->valuesChanged();
    EXPECT_TRUE(apply->isEnabled());
    dialog->editedValues().recordFormat = 1;
    dialog->valuesChanged();
    EXPECT_FALSE(apply->isEnabled());

    OptionValues& edited = dialog->editedValues();
    edited.recordFormat = 2;
    edited.usePassword = false;  // the password box keeps its text, but none is stored
    edited.userName = "Lee";
    DisplayNames names = edited.displayNames;
    names[4] = "Tel";
    edited.displayNames = names;
    edited.autoStart = true;
    dialog->valuesChanged();
    QTest::mouseClick(apply, Qt::LeftButton);

    EXPECT_EQ(sink.settingsChanged, 1);
    EXPECT_EQ(sink.formatAtEvent, 2);
    EXPECT_EQ(sink.passwordAtEvent, "");
    EXPECT_EQ(sink.userNameAtEvent, "");  // the second group follows the event
    EXPECT_EQ(sink.headerAtEvent, header);
    EXPECT_EQ(store->stringOr(setting::kUserName, "?"), "Lee");
    EXPECT_EQ(store->stringOr(setting::kDatabaseHeader, "?"), joinDisplayNames(names));
    EXPECT_TRUE(AutoStart::isEnabled());
    EXPECT_FALSE(apply->isEnabled());

    // OK with nothing changed saves once more and closes.
    QTest::mouseClick(button(dialog, "buttonOk"), Qt::LeftButton);
    EXPECT_EQ(window->dialog(), nullptr);
    EXPECT_EQ(sink.settingsChanged, 2);
}

TEST_F(OptionsWindowTest, CancelAndTheCloseBoxKeepNothing) {
    for (const bool closeBox : {false, true}) {
        OptionsDialog* dialog = openAt(ChildWindows::kOptions);
        ASSERT_NE(dialog, nullptr);
        dialog->editedValues().timeOfCallEnd = 30;
        dialog->editedValues().minimizeRun = true;
        dialog->valuesChanged();
        if (closeBox) {
            dialog->close();
        } else {
            QTest::mouseClick(button(dialog, "buttonCancel"), Qt::LeftButton);
        }
        EXPECT_EQ(window->dialog(), nullptr);
        EXPECT_EQ(store->intOr(setting::kTimeOfCallEnd, -1), 8);
        EXPECT_FALSE(store->boolOr(setting::kMinimizeRun, true));
        EXPECT_EQ(sink.settingsChanged, 0);
        EXPECT_FALSE(openAt(ChildWindows::kOptions)->isDirty());
        window->cancel();
    }
}

TEST_F(OptionsWindowTest, TheSelectedRecordFileIsAnsweredOnlyWhileTheRecordListIsShown) {
    // A call of today: the record list opens on it, selected.
    const std::string key = currentRecordKey();
    CallRecord call;
    call.fileName = recording(key + ".ogg");
    ASSERT_TRUE(database().InsertCallRecord(key, call));
    OptionsDialog* dialog = openAt(ChildWindows::kRecordList);
    ASSERT_NE(dialog, nullptr);
    std::string seen;
    std::thread engine([&] { seen = window->selectedRecordFile(); });
    engine.join();
    EXPECT_EQ(seen, call.fileName);

    dialog->selectIndex(OptionsDialog::indexOfRow(kGeneralRow));
    EXPECT_EQ(window->selectedRecordFile(), "");
    dialog->selectIndex(0);
    EXPECT_EQ(window->selectedRecordFile(), call.fileName);
    dialog->setSelectedRecordFile("");  // no row selected
    EXPECT_EQ(window->selectedRecordFile(), "");
    dialog->selectIndex(0);
    window->cancel();
    EXPECT_EQ(window->selectedRecordFile(), "");
}

}  // namespace
}  // namespace ambrin
