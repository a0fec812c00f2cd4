// The options window, the record list and backup/restore through the desktop program under a
// real X server, driven by real input (xdotool): the skin's Options button, a recording format
// and a skin chosen and applied, the close box keeping nothing; "l" opening today's calls, a
// new call played by a double click and deleted with its file; a backup taken on the
// "Auto Backup" page and restored, bringing the deleted call back.
// Run by ctest under xvfb-run. AMBRIN_SHOT_DIR=folder takes a screenshot of every step;
// AMBRIN_TEST_UI_LANG=1042 runs it in Korean (English by default).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>

#include "core/SettingsStore.h"
#include "recorder/Recorder.h"
#include "support/DesktopProgram.h"
#include "support/ProgramTools.h"

namespace ambrin {
namespace {

using namespace std::chrono_literals;
using namespace test;

// The page tree of the options window, top to bottom: one row of 20 pixels each.
constexpr int kRecordListItem = 0;
constexpr int kGeneralItem = 2;
constexpr int kRecordItem = 3;
constexpr int kAutoBackupItem = 4;
constexpr int kLastItem = 10;  // "Copyright Information"
constexpr int kTreeRowHeight = 20;
constexpr int kTreeFirstRowY = 22;

// The large skin's main window and where its Options button is; the compact skin's width.
constexpr int kLargeWidth = 480;
constexpr int kCompactWidth = 376;
constexpr int kLargeOptionsX = 302;
constexpr int kLargeOptionsY = 20;
constexpr int kCompactOptionsX = 228;
constexpr int kCompactOptionsY = 16;

// The title of every window of the program but its menus and tool tips.
const std::string kTitle = "Ambrin+";

bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

class OptionsProgramTest : public DesktopProgramFixture {
  protected:
    void SetUp() override { setUpProgram(AMBRIN_BIN, {"Ambrin_Large.VSK", "ambrin.vsk"}); }

    // Short calls, stored at once, no information window; the large skin; the backups in a
    // folder of the test's own, never offered at start.
    void writeSettings(int format) {
        SettingsStore store(folder);
        store.writeInt(setting::kRecordFormat, format);
        store.writeInt(setting::kTimeOfCallEnd, 2);
        store.writeInt(setting::kMinimumRecordTime, 0);
        store.writeBool(setting::kCallInformation, false);
        store.writeBool(setting::kAutoVolume, true);
        store.writeBool(setting::kToTray, false);
        store.writeString(setting::kMainWindowPos, "10,40");
        store.writeString(setting::kSkinPath, folder + "Ambrin_Large.VSK");
        store.writeString(setting::kDBBackupPath, backups());
        store.writeInt(setting::kAutoBackupIndex, 0);
    }

    std::string backups() const { return env.path("backups"); }
    std::string database() const { return folder + "Ambrin.od2"; }

    // Starts the program and waits for its main window.
    std::unique_ptr<ChildProcess> start() {
        auto program = std::make_unique<ChildProcess>(
            folder + "ambrin", std::vector<std::string>{"--verbose"}, env.path(""));
        EXPECT_TRUE(program->waitForOutput("event 31", 20s)) << program->errors();
        EXPECT_TRUE(waitFor([&] { return placeOf(program->pid(), kTitle, 300).found(); }, 20s))
            << windowsOf(program->pid());
        main = placeOf(program->pid(), kTitle, 300);
        return program;
    }

    // A call on the test line, recorded and stored; its record "Date|FileName".
    std::string call(ChildProcess& program) {
        const std::size_t mark = program.output().size();
        signals::Samples samples = signals::noise(1.0, 200, 3);
        signals::append(samples, signals::tone(350, 2.0, 14000));
        EXPECT_TRUE(line.write(samples));
        EXPECT_TRUE(printedAfter(program, mark, "event 27 recording")) << program.output();
        for (int i = 0; i < 60 && !printedAfter(program, mark, "event 24 idle", 0ms); ++i) {
            EXPECT_TRUE(line.write(signals::silence(0.5)));
            std::this_thread::sleep_for(20ms);
        }
        EXPECT_TRUE(printedAfter(program, mark, "event 33 recording-saved", 5s))
            << program.output();
        std::string row = sqliteQuery(database(),
                                      "select Date, FileName from RecordInfo order by Date desc "
                                      "limit 1");
        row.erase(row.find_last_not_of('\n') + 1);
        return row;
    }

    void click(const WindowPlace& window, int x, int y, int button = 1) const {
        runCommand("xdotool mousemove " + window.at(x, y) + " click " + std::to_string(button));
    }
    void doubleClick(const WindowPlace& window, int x, int y) const {
        runCommand("xdotool mousemove " + window.at(x, y) + " click --repeat 2 --delay 80 1");
    }
    // A key typed into a window of the program, given the focus first.
    static void key(const WindowPlace& window, const std::string& keys) {
        runCommand("xdotool windowfocus --sync " + window.id + " key " + keys);
    }

    // The options window opened from `opener`: the one new window.
    WindowPlace optionsWindow(pid_t pid, const std::function<void()>& opener) {
        const std::vector<WindowPlace> before = windowPlaces(pid);
        opener();
        options = newWindow(pid, before, kTitle);
        return options;
    }
    void choosePage(int item) const { click(options, 100, kTreeFirstRowY + item * kTreeRowHeight); }
    // The tree's highlighted row is the item's (and not its neighbours').
    bool pageChosen(int item) const {
        const std::vector<std::string> column =
            screenColumn(options.x + 30, options.y + kTreeFirstRowY, (item + 2) * kTreeRowHeight);
        const auto shade = [&](int row) {
            const auto at = static_cast<std::size_t>(row * kTreeRowHeight);
            return at < column.size() ? column[at] : std::string();
        };
        return shade(item) != "#FFFFFF" && shade(item + 1) == "#FFFFFF" &&
               (item == 0 || shade(item - 1) == "#FFFFFF");
    }
    void pressOk() const { click(options, options.width - 248, options.height - 24); }
    void pressApply() const { click(options, options.width - 57, options.height - 24); }

    // Answers a question box of the program (opened by `asking`) with its default, Yes.
    void answerYes(pid_t pid, const std::function<void()>& asking, const std::string& shot) {
        const std::vector<WindowPlace> before = windowPlaces(pid);
        asking();
        const WindowPlace box = newWindow(pid, before, kTitle);
        ASSERT_TRUE(box.found()) << windowsOf(pid);
        shoot(shot);
        key(box, "Return");
        ASSERT_TRUE(waitFor([&] { return !windowVisible(box.id); })) << windowsOf(pid);
    }

    int storedInt(const char* name) const {
        int value = -1;
        SettingsStore(folder).readInt(name, value);
        return value;
    }

    WindowPlace main;
    WindowPlace options;
};

// "Options" opens General; WAVE + Apply makes the next call a WAVE file; another skin + OK
// changes the main window in place; an edit closed with the close box is not kept.
TEST_F(OptionsProgramTest, FormatAppliedSkinChangedInPlaceAndTheCloseBoxKeepsNothing) {
    ASSERT_TRUE(line.available());
    writeSettings(kFormatOgg);
    const auto program = start();
    const pid_t pid = program->pid();
    ASSERT_EQ(main.width, kLargeWidth) << windowsOf(pid);
    shoot("01-main-window");
    // The top of the window, where both skins draw.
    const WindowPlace top{"", main.x, main.y, kCompactWidth, 100};
    const std::string largeTop = screenDigest(top);

    ASSERT_TRUE(optionsWindow(pid, [&] { click(main, kLargeOptionsX, kLargeOptionsY); }).found())
        << windowsOf(pid);
    ASSERT_TRUE(waitFor([&] { return pageChosen(kGeneralItem); })) << "General is not shown";
    shoot("02-options-general");

    choosePage(kRecordItem);
    ASSERT_TRUE(waitFor([&] { return pageChosen(kRecordItem); }));
    click(options, 350, 50);  // WAVE
    std::this_thread::sleep_for(200ms);
    shoot("03-record-wave");
    std::size_t mark = program->output().size();
    pressApply();
    ASSERT_TRUE(waitFor([&] { return storedInt(setting::kRecordFormat) == kFormatWave; }));
    EXPECT_TRUE(printedAfter(*program, mark, "event 32")) << program->output();

    const std::string row = call(*program);
    const std::string file = row.substr(row.find('|') + 1);
    EXPECT_EQ(file.substr(file.size() - 4), ".wav") << row;
    const std::string header = readFile(file).substr(0, 12);
    EXPECT_EQ(header.substr(0, 4), "RIFF") << file;
    EXPECT_EQ(header.substr(8, 4), "WAVE") << file;

    // The other skin, chosen on General: OK, and the same window takes the compact skin.
    choosePage(kGeneralItem);
    ASSERT_TRUE(waitFor([&] { return pageChosen(kGeneralItem); }));
    click(options, 260, 121);  // "ambrin", the skin list's first row
    std::this_thread::sleep_for(200ms);
    shoot("04-general-other-skin");
    pressOk();
    ASSERT_TRUE(waitFor([&] { return !windowVisible(options.id); })) << windowsOf(pid);
    ASSERT_TRUE(waitFor([&] { return placeOf(pid, kTitle, 300).width == kCompactWidth; }))
        << windowsOf(pid);
    const WindowPlace compact = placeOf(pid, kTitle, 300);
    EXPECT_EQ(compact.id, main.id);
    EXPECT_EQ(compact.x, main.x);
    EXPECT_EQ(compact.y, main.y);
    EXPECT_NE(screenDigest(top), largeTop);
    std::string skin;
    SettingsStore(folder).readString(setting::kSkinPath, skin);
    EXPECT_EQ(skin, folder + "ambrin.vsk");
    EXPECT_TRUE(program->running());
    shoot("05-compact-skin");

    // "Show Always Above" ticked, then the close box: nothing is kept.
    main = compact;
    ASSERT_TRUE(
        optionsWindow(pid, [&] { click(main, kCompactOptionsX, kCompactOptionsY); }).found())
        << windowsOf(pid);
    ASSERT_TRUE(waitFor([&] { return pageChosen(kGeneralItem); }));
    // Every page opens in the running program.
    for (int item = kRecordListItem; item <= kLastItem; ++item) {
        choosePage(item);
        ASSERT_TRUE(waitFor([&] { return pageChosen(item); })) << "item " << item;
        shoot("page-" + std::to_string(item));
    }
    choosePage(kGeneralItem);
    ASSERT_TRUE(waitFor([&] { return pageChosen(kGeneralItem); }));
    click(options, 233, 365);
    std::this_thread::sleep_for(200ms);
    shoot("06-show-always-above-ticked");
    mark = program->output().size();
    ASSERT_TRUE(closeLikeWindowManager(options.id));
    ASSERT_TRUE(waitFor([&] { return !windowVisible(options.id); })) << windowsOf(pid);
    EXPECT_EQ(program->output().find("event 32", mark), std::string::npos) << program->output();
    bool keepVisible = true;
    SettingsStore(folder).readBool(setting::kKeepVisible, keepVisible);
    EXPECT_FALSE(keepVisible);
    EXPECT_EQ(storedInt(setting::kRecordFormat), kFormatWave);

    // The main window's close box asks first; Yes ends the program normally.
    answerYes(
        pid, [&] { ASSERT_TRUE(closeLikeWindowManager(main.id)); }, "07-exit-question");
    EXPECT_EQ(program->wait(15s), 0) << program->output() << program->errors();
}

// "l" lists today's calls with the new one on top; a double click plays it; a backup is made;
// Delete removes the record and its file; the restore brings both back into the list.
TEST_F(OptionsProgramTest, RecordListPlaysAndDeletesACallThatTheRestoreBringsBack) {
    ASSERT_TRUE(line.available());
    writeSettings(kFormatWave);
    const auto program = start();
    const pid_t pid = program->pid();
    ASSERT_TRUE(main.found());

    // An earlier call of today whose file is gone: playing it would fail.
    char today[16];
    const std::time_t now = std::time(nullptr);
    std::strftime(today, sizeof today, "%Y%m%d", std::localtime(&now));
    ASSERT_EQ(sqliteQuery(database(),
                          "insert into RecordInfo (Date, Name, FileName, TotalTime) "
                          "values ('" +
                              std::string(today) + "000001', 'Early', '" + folder +
                              "db/gone.wav', 9); select count(*) from RecordInfo"),
              "1\n");
    const std::string row = call(*program);
    const std::string date = row.substr(0, row.find('|'));
    const std::string file = row.substr(row.find('|') + 1);
    ASSERT_TRUE(fileExists(file)) << row;

    ASSERT_TRUE(optionsWindow(pid, [&] { key(main, "l"); }).found()) << windowsOf(pid);
    ASSERT_TRUE(waitFor([&] { return pageChosen(kRecordListItem); })) << "the list is not shown";
    shoot("11-record-list");

    // The top row is the new call: it plays.
    std::size_t mark = program->output().size();
    doubleClick(options, 300, 71);
    ASSERT_TRUE(printedAfter(*program, mark, "event 26 playing")) << program->output();
    shoot("12-playing");
    mark = program->output().size();
    key(main, "s");
    ASSERT_TRUE(printedAfter(*program, mark, "event 24 idle")) << program->output();

    // A backup: the progress dialog, then today's parts, each a sound archive.
    choosePage(kAutoBackupItem);
    ASSERT_TRUE(waitFor([&] { return pageChosen(kAutoBackupItem); }));
    shoot("13-auto-backup");
    answerYes(
        pid, [&] { click(options, options.width - 166, options.height - 100); },
        "14-backup-question");
    const std::string part = backups() + "/" + today + ".odk";
    ASSERT_TRUE(waitFor([&] { return fileExists(part); }, 20s)) << windowsOf(pid);
    shoot("15-backup-done");
    const WindowPlace progress = newWindow(pid, {main, options}, kTitle);
    ASSERT_TRUE(progress.found()) << windowsOf(pid);
    key(progress, "Return");
    ASSERT_TRUE(waitFor([&] { return !windowVisible(progress.id); })) << windowsOf(pid);
    for (const std::string& path : filesUnder(backups())) {
        EXPECT_NE(runCommand("unzip -t '" + path + "'").find("No errors detected"),
                  std::string::npos)
            << path << runCommand("unzip -t '" + path + "'");
    }

    // Delete, asked first: the record and its file go.
    choosePage(kRecordListItem);
    ASSERT_TRUE(waitFor([&] { return pageChosen(kRecordListItem); }));
    const std::vector<WindowPlace> withoutMenu = windowPlaces(pid);
    click(options, 300, 71, 3);
    const WindowPlace menu = newWindow(pid, withoutMenu);
    ASSERT_TRUE(menu.found()) << windowsOf(pid);
    shoot("16-context-menu");
    answerYes(
        pid, [&] { runCommand("xdotool key d"); }, "17-delete-question");
    ASSERT_TRUE(waitFor([&] { return !fileExists(file); })) << file;
    EXPECT_EQ(
        sqliteQuery(database(), "select count(*) from RecordInfo where Date = '" + date + "'"),
        "0\n");
    shoot("18-deleted");

    // Restore of today's backup (the list's first entry): record and file are back, and the
    // record list shows the call again without the window being opened anew.
    choosePage(kAutoBackupItem);
    ASSERT_TRUE(waitFor([&] { return pageChosen(kAutoBackupItem); }));
    mark = program->output().size();
    answerYes(
        pid, [&] { click(options, 584, 251); }, "19-restore-question");
    ASSERT_TRUE(waitFor([&] { return fileExists(file); }, 20s)) << file;
    ASSERT_TRUE(waitFor([&] {
        return sqliteQuery(database(),
                           "select count(*) from RecordInfo where Date = '" + date + "'") == "1\n";
    }));
    // An open record list is told to read the records again.
    EXPECT_TRUE(printedAfter(*program, mark, "event 33 recording-saved")) << program->output();
    shoot("20-restored");
    const WindowPlace restoreProgress = newWindow(pid, {main, options}, kTitle);
    ASSERT_TRUE(restoreProgress.found()) << windowsOf(pid);
    key(restoreProgress, "Return");
    ASSERT_TRUE(waitFor([&] { return !windowVisible(restoreProgress.id); })) << windowsOf(pid);

    choosePage(kRecordListItem);
    ASSERT_TRUE(waitFor([&] { return pageChosen(kRecordListItem); }));
    shoot("21-list-after-restore");
    mark = program->output().size();
    doubleClick(options, 300, 71);
    ASSERT_TRUE(printedAfter(*program, mark, "event 26 playing")) << program->output();

    // Exit with the options window open: the program ends normally.
    answerYes(
        pid, [&] { ASSERT_TRUE(closeLikeWindowManager(main.id)); }, "22-exit-question");
    EXPECT_EQ(program->wait(15s), 0) << program->output() << program->errors();
}

}  // namespace
}  // namespace ambrin
