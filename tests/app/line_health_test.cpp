// The retention rules and the line's health as the running engine applies them: a real
// controller with the program's housekeeping parts on a real database, a clock of the test's.

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>

#include "app/EngineController.h"
#include "app/Housekeeping.h"
#include "platform/DiskSpace.h"
#include "platform/StringTable.h"
#include "platform/TextHelpers.h"
#include "records/RecordKey.h"
#include "records/RecordRetention.h"
#include "records/RecordsFixture.h"

namespace ambrin {
namespace {

constexpr std::time_t kDay = 24 * 60 * 60;

// Collects the texts the windows are told, and a marker that says the queue got that far.
class TextWindow : public MainWindowInterface {
  public:
    explicit TextWindow(AppContext& context) : m_context(context) {}
    bool start() override {
        m_context.registry->registerObject("MainWindow", std::make_shared<MainWindowObject>(this));
        return true;
    }
    void onEvent(const EngineEvent& event) override {
        std::lock_guard lock(m_mutex);
        if (const auto* text = dynamic_cast<const TextEvent*>(&event)) {
            m_texts.push_back((event.code() == EventCode::WarningText ? "warning: " : "info: ") +
                              text->text);
            m_changed.notify_all();
        } else if (event.code() == EventCode::SettingsChanged) {
            ++m_markers;
            m_changed.notify_all();
        }
    }
    std::string selectedFile() override { return {}; }
    void performAction(std::string_view) override {}
    void openManual() override {}

    // The next text told, waiting for it (the retention rules run on a thread of their own).
    std::string waitForText() {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, std::chrono::seconds(20), [&] { return !m_texts.empty(); })) {
            return "(nothing told)";
        }
        std::string first = m_texts.front();
        m_texts.erase(m_texts.begin());
        return first;
    }

    // The texts told since the last call.
    std::vector<std::string> takeTexts(int marker) {
        std::unique_lock lock(m_mutex);
        EXPECT_TRUE(m_changed.wait_for(lock, std::chrono::seconds(20),
                                       [&] { return m_markers >= marker; }));
        return std::exchange(m_texts, {});
    }

  private:
    AppContext& m_context;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_texts;
    int m_markers = 0;
};

// Starts "recordings" without sound: the line's health only needs to see a call begin.
class SilentRecorder : public RecorderInterface {
  public:
    explicit SilentRecorder(std::string file) : m_file(std::move(file)) {}
    bool initialize(InputLine) override { return true; }
    CaptureError lastError() const override { return CaptureError::None; }
    bool startRecording() override { return true; }
    void stopRecording() override {}
    std::string fileName() const override { return m_file; }
    void close() override {}

  private:
    std::string m_file;
};

class HousekeepingTest : public test::RecordsFixture {
  protected:
    HousekeepingTest() {
        env.setVariable("AMBRIN_UI_LANG", "1033");
        SetUiLanguage(kLangEnglish);
        store->writeBool(setting::kAutoVolume, true);
        store->writeBool(setting::kCallInformation, false);
        store->writeString(setting::kDatabasePath, env.path("opt/db") + "/");
        context.programFolder = folder();
        // Monday 1 June 2026, 10:00 local time.
        std::tm monday{};
        monday.tm_year = 126;
        monday.tm_mon = 5;
        monday.tm_mday = 1;
        monday.tm_hour = 10;
        monday.tm_isdst = -1;
        start = std::mktime(&monday);
        clock = start;
    }
    ~HousekeepingTest() override {
        if (controller) {
            controller->postEvent(std::make_unique<EngineEvent>(EventCode::Quit));
            controller.reset();
        }
    }

    // A stored call `secondsAgo` before the start, its file `bytes` long (sparse).
    std::string addCall(std::time_t secondsAgo, std::uint64_t bytes = 1000) {
        const std::string key = recordKeyAt(start - secondsAgo);
        const std::string path = recording(key + ".ogg");
        test::writeFile(path, "");
        EXPECT_EQ(::truncate(path.c_str(), static_cast<off_t>(bytes)), 0);
        CallRecord record;
        record.fileName = path;
        EXPECT_TRUE(database().InsertCallRecord(key, record));
        return path;
    }

    void startEngine() {
        EngineParts parts;
        parts.makeMainWindow = [this](AppContext& c) {
            auto made = std::make_unique<TextWindow>(c);
            window = made.get();
            return made;
        };
        parts.makeRecorder = [this](AppContext&) {
            return std::make_unique<SilentRecorder>(recording("now.ogg"));
        };
        parts.storeRecording = [](AppContext&, const std::string&) { return false; };
        parts.now = [this] { return clock.load(); };
        parts.applyRetention = applyRetentionRules;
        parts.lineActivity = readLineActivity;
        controller = std::make_unique<EngineController>(context, std::move(parts));
        controller->start();  // posts the first housekeeping
    }

    // Posts `code` (none for just a look), then housekeeping at `time`; the texts told.
    std::vector<std::string> at(std::time_t time, std::optional<EventCode> code = std::nullopt) {
        clock = time;
        if (code) {
            controller->postEvent(std::make_unique<EngineEvent>(*code));
        }
        controller->postEvent(std::make_unique<EngineEvent>(EventCode::Housekeeping));
        return told();
    }
    std::vector<std::string> told() {
        controller->postEvent(std::make_unique<EngineEvent>(EventCode::SettingsChanged));
        return window->takeTexts(++markers);
    }

    static std::string warning(int id, const std::string& number = {}) {
        return "warning: " + fillIn(loadString(id), {number});
    }
    static std::string info(int id, const std::string& number = {}) {
        return "info: " + fillIn(loadString(id), {number});
    }
    using Texts = std::vector<std::string>;

    std::time_t start = 0;
    std::atomic<std::time_t> clock{0};
    std::unique_ptr<EngineController> controller;
    TextWindow* window = nullptr;
    int markers = 0;
};

TEST_F(HousekeepingTest, EachWarningIsRaisedOnceAndClearedWhenItsConditionEnds) {
    store->writeInt(setting::kQuietLineDays, 2);
    // Yesterday's calls wrote three times the disk's free space (sparse files): at that
    // rate the disk is full in about ten days.
    const auto free = freeDiskBytes(env.path("opt/db"));
    ASSERT_TRUE(free);
    addCall(kDay, *free * 3);
    startEngine();
    const Texts first = told();
    ASSERT_EQ(first.size(), 1u) << ::testing::PrintToString(first);
    EXPECT_EQ(first[0].rfind(warning(str::kDiskFilling).substr(0, 30), 0), 0u) << first[0];
    EXPECT_EQ(at(start + 60), Texts{});  // told once

    // The input: not before a minute has passed, then once, and again after its return.
    EXPECT_EQ(at(start + 100, EventCode::CaptureLost), Texts{info(str::kAudioInputLost)});
    EXPECT_EQ(at(start + 160), Texts{});
    EXPECT_EQ(at(start + 161), Texts{warning(str::kInputUnavailable)});
    EXPECT_EQ(at(start + 300), Texts{});
    EXPECT_EQ(at(start + 310, EventCode::CaptureBack), Texts{info(str::kAudioInputBack)});
    EXPECT_EQ(at(start + 320, EventCode::CaptureLost), Texts{info(str::kAudioInputLost)});
    EXPECT_EQ(at(start + 400), Texts{warning(str::kInputUnavailable)});
    EXPECT_EQ(at(start + 410, EventCode::CaptureBack), Texts{info(str::kAudioInputBack)});

    // Sunday's call, then no call on Monday and Tuesday: on Tuesday one working day has
    // passed whole, on Wednesday two. A call clears the warning.
    EXPECT_EQ(at(start + kDay), Texts{});
    EXPECT_EQ(at(start + 2 * kDay), Texts{warning(str::kQuietLine, "2")});
    EXPECT_EQ(at(start + 2 * kDay + 3600), Texts{});
    EXPECT_EQ(at(start + 2 * kDay + 7200, EventCode::Record), Texts{info(str::kQuietLineEnded)});

    // A month on (Friday 3 July), Sunday's big calls are out of the rate's 30 days: the disk
    // is fine again. The line has been quiet since that Wednesday: 21 working days.
    const Texts monthOn = at(start + 32 * kDay, EventCode::Stop);
    EXPECT_EQ(monthOn, (Texts{warning(str::kQuietLine, "21"), info(str::kDiskFillingEnded)}));
}

TEST_F(HousekeepingTest, RetentionRunsAtStartAndDailyButNeverOnTheCallInUse) {
    store->writeInt(setting::kQuietLineDays, 0);
    store->writeInt(setting::kRetentionDays, 30);
    const std::string ancient = addCall(40 * kDay);
    const std::string oldish = addCall(28 * kDay);
    const std::string inUse = addCall(27 * kDay);
    const std::string young = addCall(kDay);
    ASSERT_EQ(::rename(inUse.c_str(), recording("now.ogg").c_str()), 0);
    // The record of the file the recorder writes now (a stale one) must not take it away.
    CallRecord stale;
    ASSERT_TRUE(database().FindCallRecord(recordKeyAt(start - 27 * kDay), stale));
    stale.fileName = recording("now.ogg");
    ASSERT_TRUE(database().UpdateCallRecord(recordKeyAt(start - 27 * kDay), stale));

    startEngine();
    EXPECT_EQ(window->waitForText(), info(str::kRetentionDeleted, "1"));
    EXPECT_FALSE(exists(ancient));
    EXPECT_TRUE(exists(oldish));

    // Not again the same day; four days on, while recording, the 32-day-old call goes and the
    // file being recorded stays.
    EXPECT_EQ(at(start + 3600, EventCode::Record), Texts{});
    at(start + 4 * kDay);
    EXPECT_EQ(window->waitForText(), info(str::kRetentionDeleted, "1"));
    EXPECT_FALSE(exists(oldish));
    EXPECT_TRUE(exists(recording("now.ogg")));
    EXPECT_TRUE(exists(young));
    EXPECT_EQ(sqlite("select count(*) from RecordInfo"), "2\n");
}

}  // namespace
}  // namespace ambrin
