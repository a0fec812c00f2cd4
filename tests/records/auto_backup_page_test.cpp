// The "Auto Backup" page through its widgets (offscreen): the list of the backup folder with
// its information, the two edited values with the dirty check, Delete of every part of a
// date, and Backup then Restore bringing back a deleted call.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "platform/MessageBox.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "records/BackupFiles.h"
#include "records/RecordsFixture.h"
#include "records/ui/AutoBackupPage.h"
#include "records/ui/ProgressDialog.h"
#include "support/GuiApplication.h"

namespace ambrin {
namespace {

class PageHost : public OptionsPageHost {
  public:
    explicit PageHost(AppContext& context) : m_context(context) {}
    AppContext& context() override { return m_context; }
    OptionValues& editedValues() override { return edited; }
    const OptionValues& savedValues() const override { return saved; }
    void valuesChanged() override { ++changes; }
    void setSelectedRecordFile(const std::string&) override {}

    OptionValues edited;
    OptionValues saved;
    int changes = 0;

  private:
    AppContext& m_context;
};

class AutoBackupPageTest : public test::RecordsFixture {
  protected:
    AutoBackupPageTest() : host(context) {
        test::ensureGuiApplication();
        host.saved.dbBackupPath = env.path("opt/DBBackup");
        host.saved.autoBackupIndex = 1;
        host.edited = host.saved;
        ::mkdir(host.saved.dbBackupPath.c_str(), 0755);
    }

    void SetUp() override {
        RecordsFixture::SetUp();
        setMessagePresenter([this](const MessageRequest& request) {
            questions.push_back(request.text);
            return kIdYes;
        });
        // Closes each progress dialog once its work has finished.
        QObject::connect(&closer, &QTimer::timeout, [] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<ProgressDialog*>(widget);
                auto* button = dialog ? dialog->findChild<QPushButton*>("button") : nullptr;
                if (button && dialog->isVisible() &&
                    button->text().toStdString() == loadString(str::kButtonOk)) {
                    button->click();
                }
            }
        });
        closer.start(20);
    }
    void TearDown() override { setMessagePresenter({}); }

    template <typename T>
    T* child(const char* name) {
        return page->findChild<T*>(name);
    }

    PageHost host;
    std::unique_ptr<AutoBackupPage> page;
    std::vector<std::string> questions;
    QTimer closer;
};

TEST_F(AutoBackupPageTest, ListsTheBackupsEditsTheValuesAndDeletesEveryPartOfADate) {
    const std::string folder = host.saved.dbBackupPath + "/";
    for (const char* name : {"20120801.odk", "20120731.odk", "20120731.od01", "20120731.od02"}) {
        test::writeFile(folder + name, "part");
    }
    page = std::make_unique<AutoBackupPage>(host, nullptr);
    auto* list = child<QListWidget>("backups");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "20120731");
    EXPECT_EQ(list->item(1)->text(), "20120801");
    const std::string information =
        child<QPlainTextEdit>("information")->toPlainText().toStdString();
    EXPECT_EQ(information.rfind(loadString(str::kBackupInfoFileName) + "20120731.odk\n\n" +
                                    loadString(str::kBackupInfoDate),
                                0),
              0u)
        << information;
    EXPECT_TRUE(child<QPushButton>("restore")->isEnabled());

    auto* interval = child<QComboBox>("interval");
    EXPECT_EQ(interval->currentIndex(), 1);
    EXPECT_EQ(interval->itemText(4).toStdString(), loadString(str::kBackupInterval4Weeks));
    interval->setCurrentIndex(3);
    Q_EMIT interval->activated(3);
    EXPECT_EQ(host.edited.autoBackupIndex, 3);
    EXPECT_EQ(child<QLabel>("explanation")->text().toStdString(),
              loadString(str::kBackupHint3Weeks));
    EXPECT_EQ(host.changes, 1);

    child<QPushButton>("remove")->click();
    EXPECT_EQ(questions, std::vector<std::string>{loadString(str::kBackupDeleteQuestion)});
    EXPECT_FALSE(exists(folder + "20120731.odk") || exists(folder + "20120731.od01") ||
                 exists(folder + "20120731.od02"));
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "20120801");
    child<QPushButton>("remove")->click();
    EXPECT_EQ(list->count(), 0);
    EXPECT_FALSE(child<QPushButton>("restore")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("remove")->isEnabled());
}

TEST_F(AutoBackupPageTest, BackupThenRestoreBringsBackADeletedCall) {
    CallRecord call;
    call.name = "Kim";
    ASSERT_TRUE(database().InsertCallRecord("20120731153012", call));
    ::mkdir(recording("20120731").c_str(), 0755);
    writeWav(recording("20120731/Kim@20120731153012.wav"), 1);
    page = std::make_unique<AutoBackupPage>(host, nullptr);
    EXPECT_EQ(child<QListWidget>("backups")->count(), 0);

    child<QPushButton>("backup")->click();  // returns when the dialog has been closed
    auto* list = child<QListWidget>("backups");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text().toStdString(), currentUtcDate().name());

    ASSERT_TRUE(database().DeleteCallRecord("20120731153012"));
    ::unlink(recording("20120731/Kim@20120731153012.wav").c_str());
    child<QPushButton>("restore")->click();
    page.reset();  // waits for the restore to end
    EXPECT_EQ(questions, (std::vector<std::string>{loadString(str::kBackupQuestion),
                                                   loadString(str::kRestoreQuestion)}));
    CallRecord found;
    EXPECT_TRUE(database().FindCallRecord("20120731153012", found));
    EXPECT_TRUE(exists(recording("20120731/Kim@20120731153012.wav")));
}

}  // namespace
}  // namespace ambrin
