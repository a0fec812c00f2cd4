#include "records/RecordInformation.h"

#include <thread>

#include "records/CallStorage.h"
#include "records/CustomerNames.h"
#include "records/RecordsFixture.h"

namespace ambrin {
namespace {

class RecordInformationTest : public test::RecordsFixture {
  protected:
    static CallRecord information(const std::string& name) {
        CallRecord record;
        record.name = name;
        record.contents = "Order of 5 boxes";
        record.callType = kCallInbound;
        return record;
    }

    CallRecord find(const std::string& key) {
        CallRecord record;
        EXPECT_TRUE(database().FindCallRecord(key, record)) << key;
        return record;
    }
};

TEST_F(RecordInformationTest, ConfirmedDuringTheCallWaitsForTheStoring) {
    ASSERT_TRUE(confirmRecordInformation(context, information("Kim")));
    ASSERT_TRUE(confirmRecordInformation(context, information(" \tLee ")));  // replaces Kim
    {
        const auto lock = context.lockInformation();
        ASSERT_NE(context.pendingInformation(), nullptr);
        EXPECT_EQ(context.pendingInformation()->name, "Lee");
    }
    const std::string path = recording("20120731153012.wav");
    writeWav(path, 6);
    ASSERT_TRUE(StoreRecording(context, path));
    EXPECT_EQ(sqlite("select Name, CallType, FileName from RecordInfo"),
              "Lee|0|" + recording("Lee_Order _20120731153012.wav") + "\n");
    EXPECT_EQ(context.lastRecordKey(), "");
}

TEST_F(RecordInformationTest, ConfirmedAfterTheStoringUpdatesTheRecord) {
    const std::string path = recording("20120731153012.wav");
    writeWav(path, 6);
    ASSERT_TRUE(StoreRecording(context, path));
    const std::string key = context.lastRecordKey();
    ASSERT_FALSE(key.empty());

    ASSERT_TRUE(confirmRecordInformation(context, information("Lee")));
    EXPECT_EQ(context.lastRecordKey(), "");
    EXPECT_EQ(context.pendingInformation(), nullptr);
    EXPECT_EQ(find(key).fileName, recording("Lee_Order _" + key + ".wav"));
}

TEST_F(RecordInformationTest, CancelForgetsTheKeyButNotWaitingInformation) {
    const std::string path = recording("20120731153012.wav");
    writeWav(path, 6);
    ASSERT_TRUE(StoreRecording(context, path));
    const std::string key = context.lastRecordKey();
    context.pendingInformation() = std::make_unique<CallRecord>(information("Lee"));

    cancelRecordInformation(context);
    EXPECT_EQ(context.lastRecordKey(), "");
    ASSERT_NE(context.pendingInformation(), nullptr);
    EXPECT_EQ(find(key).callType, kCallUnknown);
    EXPECT_EQ(find(key).fileName, path);
}

// OK pressed in the instant the call ends: whichever comes first, the information lands in
// the call's record and nothing is left over for the next call.
TEST_F(RecordInformationTest, ConfirmingWhileStoringNeverLosesTheInformation) {
    for (int i = 0; i < 20; ++i) {
        const std::string path = recording("2012073115" + std::to_string(3000 + i) + ".wav");
        writeWav(path, 6);
        context.setLastRecordKey({});
        std::thread ending([&] { EXPECT_TRUE(StoreRecording(context, path)); });
        EXPECT_TRUE(confirmRecordInformation(context, information("Lee" + std::to_string(i))));
        ending.join();
        // Information given before the storing finishes is attached with the next OK.
        const auto lock = context.lockInformation();
        EXPECT_EQ(context.pendingInformation(), nullptr) << i;
        EXPECT_EQ(context.lastRecordKeyLocked(), "") << i;
    }
    EXPECT_EQ(sqlite("select count(*) from RecordInfo where Name like 'Lee%'"), "20\n");
}

TEST_F(RecordInformationTest, CustomerNamesAreNumberedUntilFree) {
    EXPECT_EQ(addCustomerWithFreeName(context, "Kim"), "Kim");
    EXPECT_EQ(addCustomerWithFreeName(context, " Kim "), "Kim(1)");
    EXPECT_EQ(addCustomerWithFreeName(context, "Kim"), "Kim(2)");
    EXPECT_EQ(addCustomerWithFreeName(context, "Kim(1)"), "Kim(1)(1)");
    EXPECT_EQ(addCustomerWithFreeName(context, " \t"), "");
    EXPECT_EQ(sqlite("select Name, CID from UserInfo"), "Kim|\nKim(1)|\nKim(2)|\nKim(1)(1)|\n");

    const std::string full(259, 'x');
    ASSERT_EQ(addCustomerWithFreeName(context, full), full);
    EXPECT_EQ(addCustomerWithFreeName(context, full), full.substr(0, 256) + "(1)");
}

}  // namespace
}  // namespace ambrin
