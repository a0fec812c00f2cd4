// The record list through its widgets (offscreen): what a search lists and how, deleting
// and copying the selected calls with their files, editing a call, and the file the main
// window's Play takes from the list.
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "platform/MessageBox.h"
#include "platform/StringTable.h"
#include "records/RecordDisplay.h"
#include "records/RecordRetention.h"
#include "records/RecordsFixture.h"
#include "records/ui/EditRecordDialog.h"
#include "records/ui/RecordListModel.h"
#include "records/ui/RecordListPage.h"
#include "records/ui/StandalonePageHost.h"
#include "support/GuiApplication.h"

namespace ambrin {
namespace {

class RecordListPageTest : public test::RecordsFixture {
  protected:
    RecordListPageTest() {
        test::ensureGuiApplication();
        SetUiLanguage(kLangEnglish);
    }

    void SetUp() override {
        RecordsFixture::SetUp();
        setMessagePresenter([this](const MessageRequest& request) {
            questions.push_back(request.text);
            return kIdYes;
        });
    }

    void TearDown() override {
        page.reset();
        host.reset();
        setMessagePresenter({});
    }

    // A call of today at hh:mm:ss with its recording file.
    std::string addCall(const std::string& time, const std::string& name,
                        const std::string& contents = "") {
        const std::string key = QDate::currentDate().toString("yyyyMMdd").toStdString() + time;
        CallRecord record;
        record.name = name;
        record.cid = "010-" + time;
        record.contents = contents;
        record.totalTime = 65;
        record.callType = kCallOutbound;
        record.fileName = recording(key + ".wav");
        writeWav(record.fileName, 1);
        EXPECT_TRUE(database().InsertCallRecord(key, record));
        return key;
    }

    RecordListPage& openPage() {
        host = std::make_unique<StandalonePageHost>(context);
        page = std::make_unique<RecordListPage>(*host, nullptr);
        page->resize(900, 400);
        page->show();
        page->pageShown();  // as the window does: the columns are made and the search runs
        return *page;
    }

    QString cell(int row, int field) const {
        return page->model().data(page->model().index(row, field), Qt::DisplayRole).toString();
    }
    int rows() const { return page->model().rowCount(); }

    std::unique_ptr<StandalonePageHost> host;
    std::unique_ptr<RecordListPage> page;
    std::vector<std::string> questions;
};

TEST_F(RecordListPageTest, TodaysCallsAreListedNewestFirstOnOneLineWithTheFirstSelected) {
    addCall("090000", "Kim", "Order of 5 boxes\r\nCall back\nMonday");
    const std::string newest = addCall("170000", "Lee");
    addCall("120000", "Park");
    store->writeString(setting::kDatabaseHeader,
                       "D;L;T;Caller;Number;Company;Where;Notes;Free 1;Free 2;File;");
    openPage();
    ASSERT_EQ(rows(), 3);
    EXPECT_EQ(cell(0, kFieldName), "Lee");
    EXPECT_EQ(cell(2, kFieldContents), "Order of 5 boxes  Call back Monday");
    EXPECT_EQ(cell(2, kFieldDuration), "00:01:05");
    EXPECT_EQ(cell(2, kFieldType), "Outbound");
    EXPECT_EQ(cell(0, kFieldDate).toStdString(), displayDate(newest));
    EXPECT_EQ(cell(0, kFieldPath).toStdString(), newest + ".wav");
    EXPECT_EQ(page->model().headerData(kFieldCid, Qt::Horizontal, Qt::DisplayRole).toString(),
              "Number");
    EXPECT_EQ(page->selectedRows(), std::vector<int>{0});

    // Return in the search text searches in the chosen field (the first: Name).
    EXPECT_EQ(page->findChild<QComboBox*>("comboField")->currentText(), "Caller");
    auto* text = page->findChild<QLineEdit*>("editSearch");
    text->setText("Park");
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(rows(), 1);
    text->setText("Lee");
    EXPECT_TRUE(page->returnPressed(text));  // what the window does with Return
    EXPECT_FALSE(page->returnPressed(page->findChild<QWidget*>("dateFrom")));
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(cell(0, kFieldName), "Lee");
    text->setText("Park");
    page->search();
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(cell(0, kFieldName), "Park");

    // A call stored while the page is open comes in with event 33.
    text->clear();
    addCall("180000", "Choi");
    page->recordsChanged();
    EXPECT_EQ(rows(), 4);
    EXPECT_EQ(cell(0, kFieldName), "Choi");
}

TEST_F(RecordListPageTest, DeletingThreeRowsRemovesRecordsAndFilesAndSelectsTheRowAbove) {
    std::vector<std::string> keys;
    for (const char* time : {"100000", "110000", "120000", "130000", "140000", "150000"}) {
        keys.push_back(addCall(time, time));
    }
    openPage();  // rows 0..5: 15:00 .. 10:00
    CallRecord gone;
    ASSERT_TRUE(database().FindCallRecord(keys[1], gone));  // row 4
    page->selectRows({1, 2, 4});                            // 14:00, 13:00, 11:00
    page->deleteSelected();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], "Do you want to delete the record?");
    ASSERT_EQ(rows(), 3);
    EXPECT_EQ(cell(0, kFieldName), "150000");
    EXPECT_EQ(cell(1, kFieldName), "120000");
    EXPECT_EQ(cell(2, kFieldName), "100000");
    EXPECT_EQ(sqlite("select Name from RecordInfo order by Date"), "100000\n120000\n150000\n");
    EXPECT_FALSE(exists(gone.fileName));
    EXPECT_TRUE(exists(recording(keys[0] + ".wav")));
    // The last one removed was 11:00, then at row 2: the row above it is selected.
    EXPECT_EQ(page->selectedRows(), std::vector<int>{1});
}

TEST_F(RecordListPageTest, CopyLeavesFilesOfTheSameNameAndStopsAtAMissingRecord) {
    const std::string first = addCall("100000", "Kim");
    const std::string second = addCall("110000", "Lee");
    const std::string third = addCall("120000", "Park");
    openPage();
    const std::string folder = env.path("copies");
    ::mkdir(folder.c_str(), 0755);
    test::writeFile(folder + "/" + second + ".wav", "mine");
    ASSERT_TRUE(database().DeleteCallRecord(first));  // row 2 is still listed
    page->selectRows({0, 1, 2});
    page->copySelectedTo(folder);
    EXPECT_EQ(test::readFile(folder + "/" + third + ".wav"),
              test::readFile(recording(third + ".wav")));
    EXPECT_EQ(test::readFile(folder + "/" + second + ".wav"), "mine");
    EXPECT_FALSE(exists(folder + "/" + first + ".wav"));
}

TEST_F(RecordListPageTest, AnEditedCallIsStoredAndSelectedAgainAtItsRow) {
    addCall("100000", "Kim");
    const std::string key = addCall("110000", "");
    addCall("120000", "Park");
    openPage();
    page->selectRows({1});
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<EditRecordDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->findChild<QLineEdit*>("editPath")->isReadOnly());
        EXPECT_TRUE(dialog->findChild<QRadioButton*>("radioOutbound")->isChecked());
        dialog->findChild<QLineEdit*>("editName")->setText("Lee");
        dialog->findChild<QPlainTextEdit*>("editContents")->setPlainText("Quote sent\nby mail");
        dialog->findChild<QRadioButton*>("radioInbound")->setChecked(true);
        auto* box = dialog->findChild<QDialogButtonBox*>("buttonBox");
        QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    page->editSelected();
    // Stored (the file renamed to carry the name and contents) and shown again.
    EXPECT_EQ(sqlite("select Name, Contents, CallType from RecordInfo where Date='" + key + "'"),
              "Lee|Quote sent\nby mail|0\n");
    CallRecord stored;
    ASSERT_TRUE(database().FindCallRecord(key, stored));
    EXPECT_TRUE(exists(stored.fileName));
    EXPECT_EQ(stored.fileName, recording("Lee_Quote _" + key + ".wav"));
    EXPECT_EQ(cell(1, kFieldName), "Lee");
    EXPECT_EQ(cell(1, kFieldContents), "Quote sent by mail");
    EXPECT_EQ(page->selectedRows(), std::vector<int>{1});
}

TEST_F(RecordListPageTest, TheWindowIsToldTheSelectedFileAndDeleteIsGreyedWhilePlaying) {
    const std::string older = addCall("090000", "Kim");
    const std::string key = addCall("100000", "Lee");
    openPage();
    EXPECT_EQ(host->selectedRecordFile(), recording(key + ".wav"));
    page->selectRows({1});
    EXPECT_EQ(host->selectedRecordFile(), recording(older + ".wav"));
    page->selectRows({});
    EXPECT_EQ(host->selectedRecordFile(), "");

    page->setEngineState([] { return EngineState::Playing; });
    page->selectRows({0});
    std::unique_ptr<QMenu> menu(page->createContextMenu());
    int commands = 0;
    for (QAction* action : menu->actions()) {
        const int command = action->data().toInt();
        commands += command != 0 ? 1 : 0;
        EXPECT_EQ(action->isEnabled(), command != RecordListPage::kCommandDelete) << command;
    }
    EXPECT_EQ(commands, 6);
}

// Locking from the menu: stored in the lock table the retention rules honour, shown on the
// row, undone by Unlock; a database that refuses the lock says so.
TEST_F(RecordListPageTest, LockFromTheMenuIsStoredShownAndUndone) {
    const std::string older = addCall("090000", "Kim");
    const std::string newer = addCall("100000", "Lee");
    openPage();
    const auto command = [&](const QString& text) {
        std::unique_ptr<QMenu> menu(page->createContextMenu());
        for (QAction* action : menu->actions()) {
            if (action->data().toInt() == RecordListPage::kCommandLock) {
                EXPECT_EQ(action->text(), text);
                action->trigger();
            }
        }
    };
    const auto icon = [&](int row) {
        return page->model()
            .data(page->model().index(row, kFieldDate), Qt::DecorationRole)
            .value<QIcon>()
            .pixmap(16)
            .toImage();
    };
    const QImage plain = icon(1);
    page->selectRows({1});
    command("&Lock");
    EXPECT_EQ(lockedRecordKeys(databaseFile()), std::set<std::string>{older});
    EXPECT_NE(icon(1), plain);
    EXPECT_EQ(icon(0), plain);

    // One of two locked: Lock locks both; then Unlock unlocks both.
    page->selectRows({0, 1});
    command("&Lock");
    EXPECT_EQ(lockedRecordKeys(databaseFile()), (std::set<std::string>{older, newer}));
    command("&Unlock");
    EXPECT_TRUE(lockedRecordKeys(databaseFile()).empty());
    EXPECT_EQ(icon(1), plain);

    // A database that refuses the lock: a message, and nothing shows locked.
    sqlite(
        "CREATE TRIGGER Refuse BEFORE INSERT ON AmbrinRecordLock BEGIN "
        "SELECT RAISE(ABORT, 'refused'); END");
    page->selectRows({0});
    command("&Lock");
    ASSERT_FALSE(questions.empty());
    EXPECT_EQ(questions.back(), loadString(str::kRecordLockFailed));
    EXPECT_EQ(icon(0), plain);
}

}  // namespace
}  // namespace ambrin
