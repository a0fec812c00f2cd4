// Backups and restores with real files, real archives and the zip tools.

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <random>

#include "RecordsFixture.h"
#include "platform/MessageBox.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "records/AutoBackupCheck.h"
#include "records/BackupFiles.h"
#include "records/BackupTask.h"
#include "records/BackupWorker.h"
#include "records/RestoreWorker.h"

namespace ambrin::test {
namespace {

const BackupDate kDay{2012, 7, 31};

// Counts what a worker reports; can stop the work at a given position.
class CountingProgress : public BackupProgress {
  public:
    void open(BackupMode) override { opened = true; }
    void setRange(int count) override { range = count; }
    void setPosition(int position) override {
        last = position;
        if (stopAt > 0 && position >= stopAt && flags) {
            flags->stop = true;
        }
    }
    void finish() override { finished = true; }
    void close() override { closed = true; }

    std::atomic<bool> opened{false}, finished{false}, closed{false};
    std::atomic<int> range{0}, last{0};
    int stopAt = 0;
    BackupFlags* flags = nullptr;
};

// Every file below a folder with its content.
std::map<std::string, std::string> snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[entry.path().lexically_relative(folder).string()] = readFile(entry.path());
        }
    }
    return files;
}

class BackupTest : public RecordsFixture {
  protected:
    void SetUp() override {
        RecordsFixture::SetUp();
        setMessagePresenter([this](const MessageRequest& request) {
            messages.push_back(request.text);
            return defaultAnswer(request.flags);
        });
        places = backupPlaces(context);
        ASSERT_EQ(places.recordingFolder, env.path("opt/db/"));
        ASSERT_EQ(places.backupFolder, env.path("opt/DBBackup/"));
        CallRecord call;
        call.name = "Kim";
        ASSERT_TRUE(database().InsertCallRecord("20120731153012", call));
    }
    void TearDown() override { setMessagePresenter({}); }

    // A stored recording of `bytes` random bytes in a day folder.
    std::string addRecording(const std::string& day, const std::string& name, std::size_t bytes) {
        ::mkdir(recording(day).c_str(), 0755);
        std::string data(bytes, '\0');
        std::mt19937 random(static_cast<unsigned>(bytes + name.size() + day.size()));
        for (char& c : data) {
            c = static_cast<char>(random());
        }
        const std::string path = recording(day + "/" + name);
        writeFile(path, data);
        return path;
    }

    BackupResult backup(std::uint64_t partSize = kBackupPartSize, int stopAt = 0) {
        CountingProgress progress;
        BackupFlags flags;
        flags.busy = true;
        progress.stopAt = stopAt;
        progress.flags = &flags;
        BackupWorker worker(places, flags, progress);
        worker.setDate(kDay);
        worker.setPartSize(partSize);
        return worker.run();
    }

    BackupResult restore(const std::string& dateName = "20120731") {
        CountingProgress progress;
        BackupFlags flags;
        flags.busy = true;
        return RestoreWorker(places, dateName, flags, progress).run();
    }

    std::string tool(const std::string& program, const std::vector<std::string>& arguments,
                     int expected = 0) const {
        ChildProcess child(program, arguments, env.path("tmp"));
        EXPECT_EQ(child.wait(std::chrono::seconds(60)), expected) << child.errors();
        return child.output();
    }

    std::vector<std::string> backupFolderNames() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(places.backupFolder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    BackupPlaces places;
    std::vector<std::string> messages;
};

TEST_F(BackupTest, SplitsIntoDatedPartsThatZipToolsAcceptAndRestoresThemWhole) {
    // 2.5 parts' worth: ten stored recordings of 25 KiB in parts of 100 KiB.
    for (int i = 0; i < 10; ++i) {
        addRecording(i < 5 ? "20120730" : "20120731", "Kim@2012073" + std::to_string(i) + ".ogg",
                     25 * 1024);
    }
    writeWav(recording("20120731/Lee@20120731100000.wav"), 1);
    const auto before = snapshot(places.recordingFolder);
    ASSERT_EQ(backup(100 * 1024), BackupResult::Done);
    EXPECT_EQ(backupFolderNames(),
              (std::vector<std::string>{"20120731.od01", "20120731.od02", "20120731.odk"}));
    std::string listing;
    for (const std::string& name : backupFolderNames()) {
        tool("/usr/bin/unzip", {"-tq", places.backupFolder + name});
        listing += tool("/usr/bin/unzip", {"-Z1", places.backupFolder + name});
    }
    EXPECT_NE(listing.find("Ambrin.od2\n"), std::string::npos);
    EXPECT_NE(listing.find("20120731/Kim@20120737.ogg\n"), std::string::npos);
    // Recordings stored, the WAVE file and the database deflated.
    const std::string verbose =
        tool("/usr/bin/unzip", {"-v", places.backupFolder + "20120731.odk"});
    EXPECT_NE(verbose.find("Defl:N"), std::string::npos) << verbose;
    EXPECT_NE(verbose.find("Stored"), std::string::npos) << verbose;

    // Lost, changed and added since: the restore puts back what the backup holds.
    ::unlink(recording("20120730/Kim@20120731.ogg").c_str());
    writeFile(recording("20120731/Kim@20120736.ogg"), "changed");
    CallRecord later;
    later.name = "Park";
    ASSERT_TRUE(database().InsertCallRecord("20120801090000", later));
    ASSERT_TRUE(database().DeleteCallRecord("20120731153012"));
    ASSERT_EQ(restore(), BackupResult::Done);
    EXPECT_EQ(snapshot(places.recordingFolder), before);
    CallRecord found;
    EXPECT_TRUE(database().FindCallRecord("20120731153012", found));
    EXPECT_EQ(found.name, "Kim");
    EXPECT_FALSE(database().FindCallRecord("20120801090000", found));
    EXPECT_TRUE(messages.empty());
}

TEST_F(BackupTest, OffersBackupOnlyWhenTheNewestIsMoreThanTheIntervalOld) {
    ASSERT_EQ(store->writeInt(setting::kAutoBackupIndex, 1), kSettingsOk);
    int started = 0;
    const auto check = [&](const BackupDate& today) {
        messages.clear();
        return AutoBackupCheck(context, today, [&] { ++started; });
    };
    // No backup: never offered (and the folder is made).
    EXPECT_FALSE(check({2012, 8, 31}));
    EXPECT_TRUE(std::filesystem::is_directory(places.backupFolder));
    EXPECT_TRUE(messages.empty());

    writeFile(places.backupFolder + "20120731.odk", "");
    writeFile(places.backupFolder + "20120731.od01", "");
    EXPECT_FALSE(check({2012, 8, 7}));  // 7 days
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(check({2012, 8, 8}));  // 8 days: asked, answered Yes
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], loadString(str::kBackupQuestion));
    EXPECT_EQ(started, 1);
    EXPECT_EQ(backupFolderNames().size(), 2u);  // one backup: nothing deleted

    // Two backups: the newer one counts, and the older one's parts go before the new backup.
    writeFile(places.backupFolder + "20120810.odk", "");
    EXPECT_FALSE(check({2012, 8, 17}));
    EXPECT_TRUE(AutoBackupCheck(context, {2012, 8, 18}, [&] {
        EXPECT_EQ(backupFolderNames(), std::vector<std::string>{"20120810.odk"});
        ++started;
    }));
    EXPECT_EQ(started, 2);

    // "Stop": never asked.
    ASSERT_EQ(store->writeInt(setting::kAutoBackupIndex, 0), kSettingsOk);
    EXPECT_FALSE(check({2013, 1, 1}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(BackupTest, DeleteRemovesEveryPartOfThatDateOnly) {
    for (int i = 0; i < 6; ++i) {
        addRecording("20120731", "Kim" + std::to_string(i) + ".ogg", 30 * 1024);
    }
    ASSERT_EQ(backup(50 * 1024), BackupResult::Done);
    writeFile(places.backupFolder + "20120801.odk", "other");
    ASSERT_GE(backupFolderNames().size(), 4u);
    EXPECT_TRUE(deleteBackup(places.backupFolder, "20120731"));
    EXPECT_EQ(backupFolderNames(), std::vector<std::string>{"20120801.odk"});
    const auto list = listBackups(places.backupFolder);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].displayName, "20120801");
}

TEST_F(BackupTest, StoppedBackupLeavesTheBackupFolderAsItWas) {
    for (int i = 0; i < 8; ++i) {
        addRecording("20120731", "Kim" + std::to_string(i) + ".ogg", 40 * 1024);
    }
    ASSERT_EQ(backup(), BackupResult::Done);  // an earlier backup of the same day
    writeFile(places.backupFolder + "20120701.odk", "older");
    const auto before = snapshot(places.backupFolder);

    // Stopped by the user from another thread while the parts are written.
    auto progress = std::make_shared<CountingProgress>();
    BackupTask task(progress);
    progress->flags = &task.flags();
    progress->stopAt = 4;
    task.setDate(kDay);
    task.setPartSize(100 * 1024);
    ASSERT_TRUE(task.startBackup(places));
    task.wait();
    EXPECT_EQ(task.result(), BackupResult::Stopped);
    EXPECT_EQ(snapshot(places.backupFolder), before);
    EXPECT_TRUE(messages.empty());
}

TEST_F(BackupTest, FullDiskKeepsTheEarlierBackupOfTheDay) {
    // A small file system of its own for the backup folder.
    ::mkdir(places.backupFolder.c_str(), 0755);
    if (::mount("tmpfs", places.backupFolder.c_str(), "tmpfs", 0, "size=512k") != 0) {
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    }
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{places.backupFolder};

    addRecording("20120731", "Kim.ogg", 100 * 1024);
    ASSERT_EQ(backup(), BackupResult::Done);
    const auto before = snapshot(places.backupFolder);
    addRecording("20120731", "Lee.ogg", 400 * 1024);
    EXPECT_EQ(backup(), BackupResult::Failed);
    EXPECT_EQ(messages, std::vector<std::string>{loadString(str::kBackupFailed)});
    EXPECT_EQ(snapshot(places.backupFolder), before);
    tool("/usr/bin/unzip", {"-tq", places.backupFolder + "20120731.odk"});
}

TEST_F(BackupTest, HostileArchiveWritesNothingAndKeepsTheLiveDatabase) {
    const std::string live = readFile(databaseFile());
    const std::string outside = env.path("outside");
    ::mkdir(outside.c_str(), 0755);
    ::mkdir(places.backupFolder.c_str(), 0755);
    // A good database entry first: it must not replace the live one either.
    const std::string script = R"(
import sys, zipfile
folder, database, outside = sys.argv[1:4]
def archive(date, name, data=b'x', link=False):
    with zipfile.ZipFile(folder + date + '.odk', 'w') as z:
        z.write(database, 'Ambrin.od2')
        z.writestr('20120731/good.ogg', b'good')
        info = zipfile.ZipInfo(name)
        if link:
            info.create_system = 3
            info.external_attr = 0o120777 << 16
        z.writestr(info, data)
archive('20120801', '../outside/dotdot')
archive('20120802', outside + '/absolute')
archive('20120803', 'link', outside.encode(), link=True)
archive('20120804', '..\\outside\\backslash')
)";
    tool("/usr/bin/python3", {"-c", script, places.backupFolder, databaseFile(), outside});
    for (const char* date : {"20120801", "20120802", "20120803", "20120804"}) {
        messages.clear();
        EXPECT_EQ(restore(date), BackupResult::Failed) << date;
        EXPECT_EQ(messages, std::vector<std::string>{loadString(str::kRestoreFailed)});
    }
    EXPECT_TRUE(std::filesystem::is_empty(outside));
    EXPECT_FALSE(exists(recording("20120731/good.ogg")));
    EXPECT_FALSE(exists(recording("link")));
    EXPECT_EQ(readFile(databaseFile()), live);
}

TEST_F(BackupTest, RestoresAnArchiveOfTheWindowsProgramWithBackslashAndKoreanNames) {
    // `zip` keeps a backslash in a file name as it is, as the Windows program wrote them, and
    // the name's bytes: Korean in the Windows code page. "\xC1\xA1" there is a syllable that
    // a lax UTF-8 check takes for a (forbidden, overlong) two-byte sequence.
    const std::string made = env.path("made");
    ::mkdir(made.c_str(), 0755);
    writeFile(made + "/20120731\\Kim@20120731153012.ogg", "recording");
    writeFile(made + "/20120731\\\xC1\xA1@20120731160000.ogg", "second");
    ASSERT_TRUE(copyFile(databaseFile(), made + "/Ambrin.od2", 0644));
    ASSERT_TRUE(database().DeleteCallRecord("20120731153012"));
    ::mkdir(places.backupFolder.c_str(), 0755);
    tool("/bin/sh", {"-c", "cd \"$0\" && exec zip -q -5 \"$1\" * ", made,
                     places.backupFolder + "20120731.odk"});
    ASSERT_NE(
        tool("/usr/bin/unzip", {"-Z1", places.backupFolder + "20120731.odk"}).find("20120731\\Kim"),
        std::string::npos);
    ASSERT_EQ(restore(), BackupResult::Done);
    EXPECT_EQ(readFile(recording("20120731/Kim@20120731153012.ogg")), "recording");
    EXPECT_EQ(readFile(recording("20120731/\uC810@20120731160000.ogg")), "second");
    CallRecord found;
    EXPECT_TRUE(database().FindCallRecord("20120731153012", found));
}

// make soak: about 2.5 GiB of recordings in parts of the real size.
TEST_F(BackupTest, SplitsAtTheRealGibibyteForTheSoak) {
    if (std::getenv("AMBRIN_SOAK_BACKUP") == nullptr) {
        GTEST_SKIP() << "runs in make soak (AMBRIN_SOAK_BACKUP=1)";
    }
    const std::string call = addRecording("20120731", "call.ogg", 8 << 20);
    const std::uint64_t total = 5ull * kBackupPartSize / 2;
    for (std::uint64_t made = 8 << 20, i = 0; made < total; made += 8 << 20, ++i) {
        const std::string day = "201207" + std::to_string(10 + i % 20);
        ::mkdir(recording(day).c_str(), 0755);
        ASSERT_TRUE(copyFile(call, recording(day + "/Kim" + std::to_string(i) + ".ogg"), 0644));
    }
    ASSERT_EQ(backup(), BackupResult::Done);
    EXPECT_EQ(backupFolderNames(),
              (std::vector<std::string>{"20120731.od01", "20120731.od02", "20120731.odk"}));
    for (const std::string& name : backupFolderNames()) {
        EXPECT_GT(std::filesystem::file_size(places.backupFolder + name),
                  name == "20120731.od02" ? 0 : kBackupPartSize);
        tool("/usr/bin/unzip", {"-tq", places.backupFolder + name});
    }
}

}  // namespace
}  // namespace ambrin::test
