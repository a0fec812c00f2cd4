#include "records/CallStorage.h"

#include <atomic>
#include <filesystem>
#include <thread>
#include <tuple>

#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "records/RecordsFixture.h"
#include "records/UnsavedCallJournal.h"

namespace ambrin {
namespace {

class StoreRecordingTest : public test::RecordsFixture {
  protected:
    void giveInformation(const std::string& name, const std::string& contents) {
        auto information = std::make_unique<CallRecord>();
        information->name = name;
        information->contents = contents;
        information->cid = "010-1234-5678";
        information->callType = kCallInbound;
        const auto lock = context.lockInformation();
        context.pendingInformation() = std::move(information);
    }

    CallRecord find(const std::string& key) {
        CallRecord record;
        EXPECT_TRUE(database().FindCallRecord(key, record)) << key;
        return record;
    }

    std::string rowCount() { return sqlite("select count(*) from RecordInfo"); }
};

TEST_F(StoreRecordingTest, WithoutInformationTheKeyIsRemembered) {
    const std::string path = recording("20120731153012.wav");
    writeWav(path, 7);
    ASSERT_TRUE(StoreRecording(context, path));

    const std::string key = context.lastRecordKey();
    ASSERT_EQ(key.size(), 14u);
    EXPECT_EQ(key.substr(0, 4), std::to_string(localTime().year));
    const CallRecord record = find(key);
    EXPECT_EQ(record.fileName, path);
    EXPECT_EQ(record.totalTime, 7);
    EXPECT_EQ(record.callType, kCallUnknown);
    EXPECT_EQ(record.name + record.cid + record.contents + record.etc1, "");
}

TEST_F(StoreRecordingTest, AtOrBelowTheMinimumTheFileIsDeleted) {
    ASSERT_EQ(store->intOr(setting::kMinimumRecordTime, -1), 5);
    const std::string exact = recording("exact.wav");
    writeWav(exact, 5);
    EXPECT_FALSE(StoreRecording(context, exact));
    EXPECT_FALSE(exists(exact));

    const std::string other = recording("unknown.xyz");  // no duration: 0 seconds
    test::writeFile(other, std::string(100000, 'x'));
    EXPECT_FALSE(StoreRecording(context, other));
    EXPECT_FALSE(exists(other));
    EXPECT_EQ(rowCount(), "0\n");

    const std::string longer = recording("longer.WAV");
    writeWav(longer, 6);
    EXPECT_TRUE(StoreRecording(context, longer));
    EXPECT_TRUE(exists(longer));
}

TEST_F(StoreRecordingTest, Mp3DurationComesFromTheFileSize) {
    const std::string path = recording("call.Mp3");
    test::writeFile(path, std::string(40000, '\xff'));
    ASSERT_TRUE(StoreRecording(context, path));
    EXPECT_EQ(find(context.lastRecordKey()).totalTime, 20);
}

TEST_F(StoreRecordingTest, InformationGivenDuringTheCallNamesTheFile) {
    store->writeString(setting::kUserName, "Kim");
    const std::string path = recording("Kim@20120731153012.ogg");
    writeOgg(path, 7);
    giveInformation("Lee", "Order of 5 boxes");
    context.setLastRecordKey("20000101000000");  // an older record's key goes

    ASSERT_TRUE(StoreRecording(context, path));
    const std::string named = recording("Kim@Lee_Order _20120731153012.ogg");
    EXPECT_TRUE(exists(named));
    EXPECT_FALSE(exists(path));
    EXPECT_EQ(context.lastRecordKey(), "");
    EXPECT_EQ(context.pendingInformation(), nullptr);
    EXPECT_EQ(sqlite("select FileName, TotalTime, CallType, Name, CID from RecordInfo"),
              named + "|7|0|Lee|010-1234-5678\n");
}

TEST_F(StoreRecordingTest, NamesAFileCannotTakeLeaveThePathAlone) {
    const std::string named = recording("Kim@Lee_20120731153012.wav");  // has its name already
    const std::string slash = recording("20120731153013.wav");
    const std::string lineBreak = recording("20120731153014.wav");
    const std::string taken = recording("20120731153015.wav");
    const std::string occupied = recording("Park_20120731153015.wav");
    for (const auto& [path, name, contents] : {std::tuple{named, "Park", ""},
                                               {slash, "A/B", ""},
                                               {lineBreak, "", "ab\ncdef"},
                                               {taken, "Park", ""}}) {
        writeWav(path, 6);
        test::writeFile(occupied, "someone else's");
        giveInformation(name, contents);
        ASSERT_TRUE(StoreRecording(context, path)) << path;
        EXPECT_TRUE(exists(path)) << path;
    }
    EXPECT_EQ(test::readFile(occupied), "someone else's");
    EXPECT_EQ(sqlite("select count(*) from RecordInfo where FileName in ('" + named + "', '" +
                     slash + "', '" + lineBreak + "', '" + taken + "')"),
              "4\n");
}

TEST_F(StoreRecordingTest, LaterInformationWithoutNamesMovesToTheKey) {
    const std::string path = recording("20120731153012.wav");
    writeWav(path, 8);
    ASSERT_TRUE(StoreRecording(context, path));
    const std::string key = context.lastRecordKey();

    CallRecord information;
    information.callType = kCallOutbound;
    information.fileName = "ignored";
    information.totalTime = 99;
    ASSERT_TRUE(UpdateRecordInformation(context, key, information));
    const CallRecord record = find(key);
    EXPECT_EQ(record.fileName, recording(key + ".wav"));
    EXPECT_TRUE(exists(record.fileName));
    EXPECT_EQ(record.totalTime, 8);
    EXPECT_EQ(record.callType, kCallOutbound);
}

TEST_F(StoreRecordingTest, LaterInformationNamesTheFileAndRefreshesTheCustomer) {
    store->writeString(setting::kUserName, "Kim");
    const std::string path = recording("Kim@20120731153012.wav");
    writeWav(path, 8);
    ASSERT_TRUE(StoreRecording(context, path));
    const std::string key = context.lastRecordKey();
    ASSERT_TRUE(database().InsertCustomer("Lee", CustomerRecord{"old", "", "", "", ""}));

    CallRecord information;
    information.name = "Lee";
    information.contents = "Order of 5 boxes";
    information.cid = "new";
    ASSERT_TRUE(UpdateRecordInformation(context, key, information));
    const std::string named = recording("Kim@Lee_Order _" + key + ".wav");
    EXPECT_TRUE(exists(named));
    EXPECT_EQ(find(key).fileName, named);
    CustomerRecord customer;
    ASSERT_TRUE(database().FindCustomer("Lee", customer));
    EXPECT_EQ(customer.cid, "new");

    // Named once, the file keeps its name; a customer is never created here.
    information.name = "Park";
    ASSERT_TRUE(UpdateRecordInformation(context, key, information));
    EXPECT_EQ(find(key).fileName, named);
    EXPECT_EQ(find(key).name, "Park");
    EXPECT_FALSE(database().CustomerExists("Park"));
    EXPECT_FALSE(UpdateRecordInformation(context, "19990101000000", information));
}

TEST_F(StoreRecordingTest, FourThreadsStoringAtOnceLoseNothing) {
    constexpr int kThreads = 4;
    constexpr int kCalls = 500;
    store->writeInt(setting::kMinimumRecordTime, -1);  // keep empty files: quick to make
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kCalls; ++i) {
            writeWav(recording(std::to_string(t) + "-" + std::to_string(i) + ".wav"), 0);
        }
    }
    // One context each: a shared one would order the threads by its information lock,
    // while here they must meet at the database file.
    std::atomic<int> stored{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            AppContext own;
            own.settings = store.get();
            for (int i = 0; i < kCalls; ++i) {
                const auto path = recording(std::to_string(t) + "-" + std::to_string(i) + ".wav");
                stored += StoreRecording(own, path) ? 1 : 0;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(stored.load(), kThreads * kCalls);
    EXPECT_EQ(rowCount(), std::to_string(kThreads * kCalls) + "\n");
}

TEST_F(StoreRecordingTest, AFailedInsertionKeepsTheCallForLater) {
    // A folder where the database file should be: nothing can be inserted.
    ASSERT_EQ(::unlink(databaseFile().c_str()), 0);
    ASSERT_EQ(::mkdir(databaseFile().c_str(), 0755), 0);
    std::vector<MessageRequest> shown;
    setMessagePresenter([&](const MessageRequest& request) {
        shown.push_back(request);
        return kIdOk;
    });
    const std::string path = recording("20120731153012.wav");
    writeWav(path, 9);
    const std::string contents = "Order of 5 boxes\n\ttab, \\ and line";
    giveInformation("Lee", contents);

    EXPECT_FALSE(StoreRecording(context, path));
    setMessagePresenter({});
    const std::string named = recording("Lee_Order _20120731153012.wav");
    EXPECT_TRUE(exists(named));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.find(named), std::string::npos);
    EXPECT_EQ(shown[0].flags & 0xF0, kMbIconWarning);

    const std::string journal = databaseFile() + ".unsaved";
    const auto waiting = UnsavedCallJournal(journal).read();
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_EQ(waiting[0].record.contents, contents);

    // The next start, with the database back.
    ASSERT_EQ(::rmdir(databaseFile().c_str()), 0);
    ASSERT_TRUE(InitializeDatabase(context));
    EXPECT_EQ(recoverUnsavedCalls(context), 1);
    EXPECT_FALSE(exists(journal));
    const CallRecord record = find(waiting[0].key);
    EXPECT_EQ(record.fileName, named);
    EXPECT_EQ(record.totalTime, 9);
    EXPECT_EQ(record.callType, kCallInbound);
    EXPECT_EQ(record.contents, contents);
    EXPECT_EQ(recoverUnsavedCalls(context), 0);
    EXPECT_EQ(rowCount(), "1\n");
}

class UnsavedCallJournalTest : public test::EnvironmentTest {
  protected:
    UnsavedCall call(const std::string& key, const std::string& name) {
        UnsavedCall c{key, {}};
        c.record.name = name;
        c.record.fileName = "/db/" + key + ".ogg";
        c.record.totalTime = 12;
        return c;
    }
    UnsavedCallJournal journal{env.path("Ambrin.od2.unsaved")};
};

TEST_F(UnsavedCallJournalTest, EveryByteComesBack) {
    std::string everything;
    for (int c = 1; c < 256; ++c) {
        everything += static_cast<char>(c);
    }
    const UnsavedCall original = call("20120731153012", everything.substr(0, 200));
    const auto parsed = UnsavedCallJournal::parseLine(UnsavedCallJournal::formatLine(original));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->record.name, original.record.name);
    EXPECT_EQ(parsed->record.totalTime, 12);
    EXPECT_FALSE(UnsavedCallJournal::parseLine("1\t2\t3").has_value());
    EXPECT_FALSE(UnsavedCallJournal::parseLine("k\tf\tx\t2\t\t\t\t\t\t\t").has_value());
}

TEST_F(UnsavedCallJournalTest, CallsThatStillFailStay) {
    ASSERT_TRUE(journal.append(call("1", "a")));
    ASSERT_TRUE(journal.append(call("2", "b")));
    ASSERT_TRUE(journal.append(call("3", "c")));
    test::writeFile(journal.filePath(), test::readFile(journal.filePath()) + "torn line");
    EXPECT_EQ(journal.replay([](const UnsavedCall& c) { return c.key != "2"; }), 2);
    const auto left = journal.read();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].record.name, "b");
    EXPECT_EQ(journal.replay([](const UnsavedCall&) { return true; }), 1);
    EXPECT_FALSE(std::filesystem::exists(journal.filePath()));
}

}  // namespace
}  // namespace ambrin
