// The option pages through their widgets: what the user clicks and types reaches the edited
// values and, through Apply, the settings; the pages that write at once (customers, call
// contents, skins) leave the database, the contents file and the install folder as the user
// expects.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>
#include <ctime>

#include "app/GeneralPage.h"
#include "app/OptionsDialog.h"
#include "app/OptionsWindow.h"
#include "codec/Mp3Library.h"
#include "core/EngineEvent.h"
#include "platform/MessageBox.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/TextHelpers.h"
#include "records/CallContentList.h"
#include "records/RecordsFixture.h"
#include "records/ui/CallContentsPage.h"
#include "records/ui/CustomersPage.h"
#include "records/ui/RetentionPage.h"
#include "support/GuiApplication.h"

namespace ambrin {
namespace {

// Notes the settings' "SkinPath" when "settings changed" arrives: the skin the main window
// loads again then.
class SkinAtEvent : public EventSink {
  public:
    explicit SkinAtEvent(SettingsStore& settings) : m_settings(settings) {}
    int postEvent(std::unique_ptr<EngineEvent> event) override {
        if (event && event->code() == EventCode::SettingsChanged) {
            skinPath = m_settings.stringOr(setting::kSkinPath, "?");
        }
        return 0;
    }
    std::string skinPath;

  private:
    SettingsStore& m_settings;
};

class OptionsPagesTest : public test::RecordsFixture {
  protected:
    OptionsPagesTest() : contents(env.path("opt/DefaultContent.txt")), sink(*store) {
        test::ensureGuiApplication();
        context.callContents = &contents;
        context.events = &sink;
        context.programFolder = folder();
        services.openPage = [this](const std::string& address) {
            opened.push_back(address);
            return true;
        };
        setMessagePresenter([this](const MessageRequest& request) {
            messages.push_back(request.text);
            return answer;
        });
        window = std::make_unique<OptionsWindow>(context, services);
    }

    ~OptionsPagesTest() override {
        window.reset();
        setMessagePresenter(nullptr);
    }

    OptionsDialog* openAt(int row) {
        window->open(ChildWindows::kOptions);
        OptionsDialog* dialog = window->dialog();
        dialog->selectIndex(OptionsDialog::indexOfRow(row));
        return dialog;
    }

    template <typename T>
    T* child(OptionsDialog* dialog, int row, const char* name) {
        T* widget = dialog->page(row)->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    bool applyEnabled(OptionsDialog* dialog) {
        return dialog->findChild<QPushButton*>("buttonApply")->isEnabled();
    }

    void apply(OptionsDialog* dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton*>("buttonApply"), Qt::LeftButton);
    }

    static void retype(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    CallContentList contents;
    SkinAtEvent sink;
    OptionsServices services;
    std::vector<std::string> opened;
    std::vector<std::string> messages;
    int answer = kIdYes;
    std::unique_ptr<OptionsWindow> window;
};

TEST_F(OptionsPagesTest, ACheckBoxChangedAndChangedBackLeavesNothingToApply) {
    OptionsDialog* dialog = openAt(kGeneralRow);
    auto* keepVisible = child<QCheckBox>(dialog, kGeneralRow, "checkKeepVisible");
    keepVisible->click();
    EXPECT_TRUE(applyEnabled(dialog));
    keepVisible->click();
    EXPECT_FALSE(applyEnabled(dialog));

    QTest::keyClicks(child<QLineEdit>(dialog, kGeneralRow, "editUserName"), "  Lee ");
    EXPECT_EQ(dialog->editedValues().userName, "Lee");
    apply(dialog);
    EXPECT_EQ(store->stringOr(setting::kUserName, "?"), "Lee");
    EXPECT_FALSE(applyEnabled(dialog));
}

TEST_F(OptionsPagesTest, StartAndEndLevelsAreTakenOnlyInRangeAndInOrder) {
    OptionsDialog* dialog = openAt(kRecordRow);
    auto* start = child<QLineEdit>(dialog, kRecordRow, "editStart");
    auto* end = child<QLineEdit>(dialog, kRecordRow, "editEnd");
    ASSERT_EQ(start->text(), "20");
    ASSERT_EQ(end->text(), "2");

    // Typed key by key, "3" is taken on the way to "30"; leaving the box shows what counts.
    retype(end, "30");
    EXPECT_EQ(dialog->editedValues().endSoundValue, 3);
    Q_EMIT end->editingFinished();
    EXPECT_EQ(end->text(), "3");
    end->setText("2");

    end->setText("30");  // above Start
    EXPECT_EQ(end->text(), "30");
    EXPECT_EQ(dialog->editedValues().endSoundValue, 2);
    end->setText("15");
    EXPECT_EQ(dialog->editedValues().endSoundValue, 15);
    start->setText("10");  // below End
    EXPECT_EQ(dialog->editedValues().startSoundValue, 20);
    start->setText("101");
    EXPECT_EQ(dialog->editedValues().startSoundValue, 20);
    start->setText("100");
    EXPECT_EQ(dialog->editedValues().startSoundValue, 100);
    end->setText("0");
    EXPECT_EQ(dialog->editedValues().endSoundValue, 15);

    QTest::keyClicks(child<QLineEdit>(dialog, kRecordRow, "editCallEnd"), "x");
    EXPECT_EQ(child<QLineEdit>(dialog, kRecordRow, "editCallEnd")->text(), "8");

    apply(dialog);
    EXPECT_EQ(store->intOr(setting::kStartSoundValue, -1), 100);
    EXPECT_EQ(store->intOr(setting::kEndSoundValue, -1), 15);
}

TEST_F(OptionsPagesTest, ClearingUseStoresAnEmptyPassword) {
    store->writeBool(setting::kUsePassword, true);
    store->writeString(setting::kPassword, "1234");
    OptionsDialog* dialog = openAt(kRecordRow);
    auto* use = child<QCheckBox>(dialog, kRecordRow, "checkUsePassword");
    auto* password = child<QLineEdit>(dialog, kRecordRow, "editPassword");
    EXPECT_EQ(password->text(), "1234");
    use->click();
    EXPECT_TRUE(password->text().isEmpty());
    EXPECT_FALSE(password->isEnabled());
    apply(dialog);
    EXPECT_FALSE(store->boolOr(setting::kUsePassword, true));
    EXPECT_EQ(store->stringOr(setting::kPassword, "?"), "");
}

TEST_F(OptionsPagesTest, Mp3WithoutTheEncoderLibraryFallsBackToOggAndOffersTheDownload) {
    store->writeInt(setting::kRecordFormat, 2);
    env.setVariable(Mp3Library::kSearchOverrideVariable, env.path("nowhere/libmp3lame.so.0"));
    OptionsDialog* dialog = openAt(kRecordRow);
    child<QRadioButton>(dialog, kRecordRow, "radioMp3")->click();
    EXPECT_TRUE(child<QRadioButton>(dialog, kRecordRow, "radioOgg")->isChecked());
    EXPECT_EQ(dialog->editedValues().recordFormat, 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("libmp3lame.so.0"), std::string::npos);
    EXPECT_NE(messages[0].find(env.path("opt")), std::string::npos);
    EXPECT_EQ(opened, std::vector<std::string>{Mp3Library::kDownloadPage});

    // With the system's library MP3 is taken.
    env.setVariable(Mp3Library::kSearchOverrideVariable, std::nullopt);
    child<QRadioButton>(dialog, kRecordRow, "radioMp3")->click();
    EXPECT_TRUE(child<QRadioButton>(dialog, kRecordRow, "radioMp3")->isChecked());
    EXPECT_EQ(dialog->editedValues().recordFormat, 1);
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(OptionsPagesTest, CustomersOfOneNameAreNumberedAndDeletionSelectsTheNext) {
    OptionsDialog* dialog = openAt(kCustomersRow);
    auto* page = static_cast<CustomersPage*>(dialog->page(kCustomersRow));
    auto* list = child<QTreeWidget>(dialog, kCustomersRow, "listCustomers");
    for (int i = 0; i < 3; ++i) {
        page->addCustomer(" Kim ");
    }
    page->addCustomer("Adams");
    ASSERT_EQ(list->topLevelItemCount(), 4);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "Adams");
    EXPECT_EQ(list->topLevelItem(1)->text(0), "Kim");
    EXPECT_EQ(list->topLevelItem(2)->text(0), "Kim(1)");
    EXPECT_EQ(list->topLevelItem(3)->text(0), "Kim(2)");
    EXPECT_EQ(list->currentItem()->text(0), "Adams");
    EXPECT_EQ(sqlite("select count(*) from UserInfo"), "4\n");

    // Saved details come back when the name is selected again.
    list->setCurrentItem(list->topLevelItem(2));
    QTest::keyClicks(child<QLineEdit>(dialog, kCustomersRow, "editPhone"), "010-1111");
    child<QPushButton>(dialog, kCustomersRow, "buttonSave")->click();
    list->setCurrentItem(list->topLevelItem(0));
    EXPECT_TRUE(child<QLineEdit>(dialog, kCustomersRow, "editPhone")->text().isEmpty());
    list->setCurrentItem(list->topLevelItem(3));
    child<QPushButton>(dialog, kCustomersRow, "buttonDelete")->click();  // the last: Kim(2)
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], loadString(str::kCustomerDeleteQuestion));
    EXPECT_EQ(list->currentItem()->text(0), "Kim(1)");
    EXPECT_EQ(child<QLineEdit>(dialog, kCustomersRow, "editPhone")->text(), "010-1111");
    EXPECT_FALSE(RecordDatabase(context).CustomerExists("Kim(2)"));
}

TEST_F(OptionsPagesTest, TwentyContentsAtMostNoDuplicatesAndDeletionsLast) {
    OptionsDialog* dialog = openAt(kCallContentsRow);
    auto* edit = child<QLineEdit>(dialog, kCallContentsRow, "editContent");
    auto* add = child<QPushButton>(dialog, kCallContentsRow, "buttonAdd");
    auto* list = child<QListWidget>(dialog, kCallContentsRow, "listContents");
    EXPECT_FALSE(add->isEnabled());
    edit->setFocus();
    QTest::keyClicks(edit, "   ");
    EXPECT_FALSE(add->isEnabled());
    for (int i = 1; i <= 20; ++i) {
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("Content %1").arg(i));
        QTest::keyClick(edit, Qt::Key_Return);  // Return in the box adds
    }
    ASSERT_EQ(list->count(), 20);
    EXPECT_TRUE(messages.empty());
    QTest::keyClicks(edit, "Content 21");
    add->click();
    EXPECT_EQ(list->count(), 20);
    EXPECT_EQ(messages, std::vector<std::string>{loadString(str::kContentLimitReached)});

    list->setCurrentRow(19);
    child<QPushButton>(dialog, kCallContentsRow, "buttonDelete")->click();
    EXPECT_EQ(list->count(), 19);
    EXPECT_EQ(list->currentRow(), 18);
    edit->clear();
    QTest::keyClicks(edit, "Content 3");  // there already
    add->click();
    EXPECT_EQ(list->count(), 19);

    CallContentList reread(contents.filePath());
    ASSERT_TRUE(reread.LoadContents());
    EXPECT_EQ(reread.slots()[18], "Content 19");
    EXPECT_EQ(reread.slots()[19], "");
}

TEST_F(OptionsPagesTest, DisplayNamesRefuseSemicolonsAndLongNames) {
    OptionsDialog* dialog = openAt(kRecordListHeaderRow);
    auto* list = child<QTreeWidget>(dialog, kRecordListHeaderRow, "listNames");
    auto* name = child<QLineEdit>(dialog, kRecordListHeaderRow, "editDisplayName");
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
    EXPECT_FALSE(name->isEnabled());
    list->setCurrentItem(list->topLevelItem(3));
    EXPECT_FALSE(name->isEnabled());

    list->setCurrentItem(list->topLevelItem(4));
    const std::string before = dialog->editedValues().displayNames[4];
    name->setFocus();
    name->end(false);
    QTest::keyClicks(name, ";");
    EXPECT_EQ(dialog->editedValues().displayNames[4], before);
    EXPECT_FALSE(applyEnabled(dialog));
    retype(name, "Mobile1X");
    EXPECT_EQ(name->text(), "Mobile");
    EXPECT_EQ(dialog->editedValues().displayNames[4], "Mobile");
    EXPECT_EQ(list->topLevelItem(4)->text(1), "Mobile");
    retype(name, "");
    EXPECT_EQ(dialog->editedValues().displayNames[4], "Mobile");
    apply(dialog);
    EXPECT_EQ(fieldAt(store->stringOr(setting::kDatabaseHeader, ""), 4), "Mobile");
}

TEST_F(OptionsPagesTest, TheDefaultSkinStaysAndAnAddedSkinTakesEffect) {
    const std::string shipped = AMBRIN_SKIN_PACKAGE_DIR;
    ASSERT_TRUE(test::copyFile(shipped + "/Ambrin_Large.VSK", folder() + "Ambrin_Large.VSK", 0644));
    OptionsDialog* dialog = openAt(kGeneralRow);
    auto* page = static_cast<GeneralPage*>(dialog->page(kGeneralRow));
    auto* skins = child<QListWidget>(dialog, kGeneralRow, "listSkins");
    auto* del = child<QPushButton>(dialog, kGeneralRow, "buttonDeleteSkin");
    ASSERT_EQ(skins->count(), 1);
    EXPECT_EQ(skins->currentItem()->text(), "Ambrin_Large");
    EXPECT_FALSE(del->isEnabled());
    page->deleteSelectedSkin();
    EXPECT_TRUE(exists(folder() + "Ambrin_Large.VSK"));
    EXPECT_TRUE(child<QLabel>(dialog, kGeneralRow, "labelSkinInfo")
                    ->text()
                    .startsWith(QString::fromStdString(loadString(str::kSkinInfoName))));

    page->addSkinFile(QString::fromStdString(env.path("missing.VSK")));
    EXPECT_EQ(messages, std::vector<std::string>{loadString(str::kSkinAddFailed)});
    page->addSkinFile(QString::fromStdString(shipped + "/ambrin.vsk"));
    ASSERT_EQ(skins->count(), 2);
    skins->setCurrentRow(skins->item(0)->text() == "ambrin" ? 0 : 1);
    EXPECT_TRUE(del->isEnabled());
    EXPECT_TRUE(applyEnabled(dialog));
    apply(dialog);
    EXPECT_EQ(sink.skinPath, folder() + "ambrin.VSK");
}

TEST_F(OptionsPagesTest, RetentionPageCountsWhatItsRulesWouldDeleteAndAppliesThem) {
    // One call from long ago and one from today; the age rule would take the old one only.
    char today[16];
    const std::time_t now = std::time(nullptr);
    std::strftime(today, sizeof today, "%Y%m%d%H%M%S", std::localtime(&now));
    CallRecord old;
    old.fileName = recording("20200102/20200102030405.ogg");
    ASSERT_TRUE(database().InsertCallRecord("20200102030405", old));
    CallRecord recent;
    recent.fileName = recording(std::string(today, 8) + "/" + today + ".ogg");
    ASSERT_TRUE(database().InsertCallRecord(today, recent));

    OptionsDialog* dialog = openAt(kRetentionRow);
    auto* page = static_cast<RetentionPage*>(dialog->page(kRetentionRow));
    page->updatePreview();
    EXPECT_EQ(page->previewCount(), 0);  // both rules off
    auto* checkAge = child<QCheckBox>(dialog, kRetentionRow, "checkAge");
    checkAge->click();
    child<QSpinBox>(dialog, kRetentionRow, "spinDays")->setValue(30);
    EXPECT_TRUE(applyEnabled(dialog));
    page->updatePreview();
    EXPECT_EQ(page->previewCount(), 1);
    apply(dialog);
    EXPECT_EQ(store->intOr(setting::kRetentionDays, 0), 30);
    // Nothing is deleted by the page itself: the rules run in the engine.
    CallRecord found;
    EXPECT_TRUE(database().FindCallRecord("20200102030405", found));
    checkAge->click();
    EXPECT_TRUE(applyEnabled(dialog));
    apply(dialog);
    EXPECT_EQ(store->intOr(setting::kRetentionDays, -1), 0);
}

}  // namespace
}  // namespace ambrin
