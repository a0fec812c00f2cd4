// The recording-information window through its widgets: what the user types reaches the
// call record whether OK comes before or after the recording is stored, and a call too
// short to keep closes the window as Cancel would.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <thread>

#include "records/CallContentList.h"
#include "records/CallStorage.h"
#include "records/RecordsFixture.h"
#include "records/ui/RecordInformationDialog.h"
#include "records/ui/RecordInformationWindow.h"
#include "support/GuiApplication.h"

namespace ambrin {
namespace {

class InformationDialogTest : public test::RecordsFixture {
  protected:
    InformationDialogTest() : contents(env.path("opt/DefaultContent.txt")) {
        test::ensureGuiApplication();
        context.callContents = &contents;
    }

    void SetUp() override {
        RecordsFixture::SetUp();
        window = std::make_unique<RecordInformationWindow>(context);
    }

    void TearDown() override { window.reset(); }

    // Opens the window the way the controller does: from another thread.
    RecordInformationDialog* openFromEngine() {
        std::thread engine([this] { window->open(); });
        engine.join();
        EXPECT_TRUE(window->isOpen());
        EXPECT_TRUE(test::processEventsUntil([this] { return window->dialog() != nullptr; }));
        return window->dialog();
    }

    template <typename T>
    static T* child(QWidget* dialog, const char* name) {
        T* widget = dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    void pressOk(QWidget* dialog) {
        auto* box = child<QDialogButtonBox>(dialog, "buttonBox");
        QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
        ASSERT_TRUE(test::processEventsUntil([this] { return !window->isOpen(); }));
        window->waitForApplied();
    }

    std::string row(const std::string& columns) {
        return sqlite("select " + columns + " from RecordInfo");
    }

    CallContentList contents;
    std::unique_ptr<RecordInformationWindow> window;
};

TEST_F(InformationDialogTest, OkDuringTheCallGoesWithTheRecordWhenItIsStored) {
    ASSERT_TRUE(database().InsertCustomer("Kim", {"010-1234-5678", "Tavix", "Seoul", "vip", ""}));
    ASSERT_TRUE(database().InsertCustomer("Adams", {"555-0100", "Acme", "Leeds", "", ""}));
    ASSERT_TRUE(contents.AddContent("Order of 5 boxes"));
    store->writeString(setting::kDatabaseHeader,
                       "D;L;T;Caller;Number;Company;Where;Notes;Free 1;Free 2;File;");

    QWidget* dialog = openFromEngine();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(child<QLabel>(dialog, "labelName")->text(), "Caller :");
    EXPECT_EQ(child<QLabel>(dialog, "labelEtc2")->text(), "Free 2 :");
    EXPECT_TRUE(child<QRadioButton>(dialog, "radioUnknown")->isChecked());

    // Picking a customer fills in what the directory knows; a stock content is appended.
    auto* names = child<QComboBox>(dialog, "comboName");
    ASSERT_EQ(names->count(), 2);
    EXPECT_EQ(names->itemText(0), "Adams");  // sorted
    names->setCurrentIndex(1);
    Q_EMIT names->activated(1);
    EXPECT_EQ(child<QLineEdit>(dialog, "editPhone")->text(), "010-1234-5678");
    auto* notes = child<QPlainTextEdit>(dialog, "editContents");
    QTest::keyClicks(notes, "Asked: ");
    auto* stock = child<QComboBox>(dialog, "comboContents");
    stock->setCurrentIndex(0);
    Q_EMIT stock->activated(0);
    EXPECT_EQ(notes->toPlainText(), "Asked: Order of 5 boxes");
    QTest::mouseClick(child<QRadioButton>(dialog, "radioOutbound"), Qt::LeftButton);
    pressOk(dialog);

    const std::string path = recording("20260101101010.wav");
    writeWav(path, 6);
    ASSERT_TRUE(StoreRecording(context, path));
    EXPECT_EQ(row("Name, CID, Organize, Contents, ETC1, CallType"),
              "Kim|010-1234-5678|Tavix|Asked: Order of 5 boxes|vip|1\n");
    const std::string file = row("FileName");
    EXPECT_NE(file.find("Kim_Asked:"), std::string::npos) << file;
    EXPECT_TRUE(exists(file.substr(0, file.size() - 1)));
}

TEST_F(InformationDialogTest, OkAfterTheStoringFillsInTheStoredRecord) {
    QWidget* dialog = openFromEngine();
    ASSERT_NE(dialog, nullptr);
    const std::string path = recording("20260101101010.wav");
    writeWav(path, 6);
    ASSERT_TRUE(StoreRecording(context, path));
    const std::string key = context.lastRecordKey();
    ASSERT_FALSE(key.empty());
    window->callSaved();
    QApplication::processEvents();
    ASSERT_TRUE(window->isOpen());
    EXPECT_TRUE(
        child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Ok)->isEnabled());

    QTest::keyClicks(child<QComboBox>(dialog, "comboName"), "  Lee ");
    QTest::keyClicks(child<QLineEdit>(dialog, "editPhone"), "02-555-0199");
    QTest::mouseClick(child<QRadioButton>(dialog, "radioInbound"), Qt::LeftButton);
    pressOk(dialog);

    EXPECT_EQ(row("Date, Name, CID, CallType"), key + "|Lee|02-555-0199|0\n");
    EXPECT_EQ(row("FileName"), recording("Lee_" + key + ".wav") + "\n");
    EXPECT_TRUE(exists(recording("Lee_" + key + ".wav")));
    EXPECT_EQ(context.lastRecordKey(), "");
}

TEST_F(InformationDialogTest, ACallTooShortToKeepClosesTheWindowAsCancel) {
    QWidget* dialog = openFromEngine();
    ASSERT_NE(dialog, nullptr);
    QTest::keyClicks(child<QComboBox>(dialog, "comboName"), "Park");
    const std::string path = recording("20260101101010.wav");
    writeWav(path, 1);
    EXPECT_FALSE(StoreRecording(context, path));
    window->callDiscarded();
    ASSERT_TRUE(test::processEventsUntil([this] { return !window->isOpen(); }));
    window->waitForApplied();
    EXPECT_EQ(window->dialog(), nullptr);
    EXPECT_EQ(row("count(*)"), "0\n");
    EXPECT_FALSE(exists(path));
    EXPECT_EQ(context.lastRecordKey(), "");
    {
        const auto lock = context.lockInformation();
        EXPECT_EQ(context.pendingInformation(), nullptr);  // "Park" was never confirmed
    }
}

TEST_F(InformationDialogTest, ANumberFromTheLineFillsTheWindowUnlessTheUserHasSaidOtherwise) {
    ASSERT_TRUE(database().InsertCustomer("Kim", {"010-1234-5678", "Tavix", "Seoul", "vip", ""}));
    QWidget* dialog = openFromEngine();
    ASSERT_NE(dialog, nullptr);
    std::thread([this] { window->lineNumber("01012345678", false); }).join();
    auto* phone = child<QLineEdit>(dialog, "editPhone");
    ASSERT_TRUE(test::processEventsUntil([&] { return !phone->text().isEmpty(); }));
    EXPECT_EQ(phone->text(), "01012345678");
    EXPECT_EQ(child<QComboBox>(dialog, "comboName")->currentText(), "Kim");
    EXPECT_EQ(child<QLineEdit>(dialog, "editOrganize")->text(), "Tavix");
    EXPECT_TRUE(child<QRadioButton>(dialog, "radioInbound")->isChecked());
    pressOk(dialog);
    const std::string path = recording("20260101101010.wav");
    writeWav(path, 6);
    ASSERT_TRUE(StoreRecording(context, path));
    EXPECT_EQ(row("Name, CID, Organize, CallType"), "Kim|01012345678|Tavix|0\n");

    // What the user typed or chose stands.
    dialog = openFromEngine();
    ASSERT_NE(dialog, nullptr);
    QTest::keyClicks(child<QLineEdit>(dialog, "editPhone"), "02-555-0199");
    QTest::mouseClick(child<QRadioButton>(dialog, "radioUnknown"), Qt::LeftButton);
    window->lineNumber("0101234", true);
    QApplication::processEvents();
    EXPECT_EQ(child<QLineEdit>(dialog, "editPhone")->text(), "02-555-0199");
    EXPECT_TRUE(child<QRadioButton>(dialog, "radioUnknown")->isChecked());
    QTest::mouseClick(
        child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Cancel),
        Qt::LeftButton);
    ASSERT_TRUE(test::processEventsUntil([this] { return !window->isOpen(); }));
    window->waitForApplied();
}

TEST_F(InformationDialogTest, WithoutTheWindowTheNumberFromTheLineIsStoredWithTheCall) {
    for (const bool dialled : {false, true}) {
        {
            const auto lock = context.lockInformation();
            context.lineNumberLocked() = {dialled ? "0101234567" : "0212345678", dialled};
        }
        const std::string path = recording(dialled ? "20260101101011.wav" : "20260101101010.wav");
        writeWav(path, 6);
        ASSERT_TRUE(StoreRecording(context, path));
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));  // keys are by the second
    }
    EXPECT_EQ(row("CID, CallType"), "0212345678|0\n0101234567|1\n");
    const auto lock = context.lockInformation();
    EXPECT_TRUE(context.lineNumberLocked().number.empty()) << "a number goes with one call only";
}

}  // namespace
}  // namespace ambrin
