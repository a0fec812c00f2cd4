// The tray window: which commands its menu offers in each engine state (and which the
// main window's menu offers), and the password prompt that guards the hidden main window,
// reached by a double click or by a second start's wake-up message.
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <mutex>
#include <thread>

#include "app/CommandMenu.h"
#include "app/EngineController.h"
#include "app/HeadlessWindow.h"
#include "app/MenuCommands.h"
#include "app/PasswordDialog.h"
#include "app/TrayWindow.h"
#include "core/AppContext.h"
#include "core/EngineEvent.h"
#include "core/ObjectRegistry.h"
#include "core/SettingsStore.h"
#include "platform/MessageBox.h"
#include "platform/StringTable.h"
#include "support/GuiApplication.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

// Stands for the main window: counts the restores the tray asks for.
class RestoreCounter : public MainWindowInterface {
  public:
    bool start() override { return true; }
    void onEvent(const EngineEvent&) override {}
    std::string selectedFile() override { return {}; }
    void performAction(std::string_view action) override {
        if (action == "Restore") {
            ++restores;
        }
    }
    void openManual() override {}
    int restores = 0;
};

class TrayWindowTest : public test::EnvironmentTest {
  protected:
    TrayWindowTest() : settings(env.path("")) {
        test::ensureGuiApplication();
        context.settings = &settings;
        context.registry = &registry;
        registry.registerObject("MainWindow", std::make_shared<MainWindowObject>(&mainWindow));
        setMessagePresenter([this](const MessageRequest& request) {
            std::lock_guard lock(m_messagesMutex);
            messages.push_back(request.text);
            return kIdOk;
        });
    }
    ~TrayWindowTest() override { setMessagePresenter({}); }

    void SetUp() override {
        tray = std::make_unique<TrayWindow>(context);
        ASSERT_TRUE(tray->start());
    }
    void TearDown() override { tray.reset(); }

    void usePassword(const std::string& password) {
        settings.writeBool(setting::kUsePassword, true);
        settings.writeString(setting::kPassword, password);
    }

    // Types into the open prompt and presses OK.
    void answer(const QString& text) {
        PasswordDialog* dialog = tray->passwordDialog();
        ASSERT_NE(dialog, nullptr);
        auto* edit = dialog->findChild<QLineEdit*>("editPassword");
        QTest::keyClicks(edit, text);
        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
        QApplication::processEvents();
    }

    std::vector<std::string> shownMessages() {
        std::lock_guard lock(m_messagesMutex);
        return messages;
    }

    static TransportStates menuStates(QMenu* menu) {
        TransportStates states;
        for (QAction* action : menu->actions()) {
            switch (action->data().toInt()) {
                case cmd::kRecord:
                    states.record = action->isEnabled();
                    break;
                case cmd::kPlay:
                    states.play = action->isEnabled();
                    break;
                case cmd::kPause:
                    states.pause = action->isEnabled();
                    break;
                case cmd::kStop:
                    states.stop = action->isEnabled();
                    break;
                default:
                    break;
            }
        }
        return states;
    }

    static bool checked(QMenu* menu, int id) {
        for (QAction* action : menu->actions()) {
            if (action->data().toInt() == id) {
                return action->isChecked();
            }
        }
        return false;
    }

    SettingsStore settings;
    ObjectRegistry registry;
    AppContext context;
    RestoreCounter mainWindow;
    std::unique_ptr<TrayWindow> tray;
    std::mutex m_messagesMutex;
    std::vector<std::string> messages;
};

TEST_F(TrayWindowTest, MenuStatesFollowTheEngineAndDifferFromTheMainWindowOnlyWhenPaused) {
    using S = TransportStates;
    EXPECT_EQ(mainMenuStates(EngineState::Idle, false), (S{true, false, false, false}));
    EXPECT_EQ(mainMenuStates(EngineState::Idle, true), (S{true, true, false, false}));
    EXPECT_EQ(mainMenuStates(EngineState::Recording, true), (S{false, false, false, true}));
    EXPECT_EQ(mainMenuStates(EngineState::Playing, true), (S{false, false, true, true}));
    EXPECT_EQ(mainMenuStates(EngineState::Paused, true), (S{true, true, true, true}));

    // The tray's menu as the user gets it, after the controller's broadcasts.
    struct Step {
        EventCode broadcast;
        bool fileSet;
        S expected;
    };
    const Step steps[] = {
        {EventCode::StateIdle, false, {true, false, false, false}},
        {EventCode::StateIdle, true, {true, true, false, false}},
        {EventCode::StateRecording, true, {false, false, false, true}},
        {EventCode::StatePlaying, true, {false, false, true, true}},
        {EventCode::StatePaused, true, {false, false, true, true}},
    };
    for (const Step& step : steps) {
        context.setCurrentFile(step.fileSet ? env.path("call.ogg") : "");
        std::thread engine([this, &step] { tray->onEvent(EngineEvent(step.broadcast)); });
        engine.join();
        QMenu* menu = tray->showMenu(QPoint(10, 10));
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menuStates(menu), step.expected) << "after event " << number(step.broadcast);
        EXPECT_TRUE(checked(menu, cmd::kAutomatic));
        EXPECT_FALSE(checked(menu, cmd::kManual));
        menu->close();
    }

    settings.writeInt(setting::kRecordMode, 1);
    QMenu* manual = tray->showMenu(QPoint(10, 10));
    ASSERT_NE(manual, nullptr);
    EXPECT_TRUE(checked(manual, cmd::kManual));
    EXPECT_FALSE(checked(manual, cmd::kAutomatic));
    manual->close();

    // A password keeps every command away from the tray.
    usePassword("x");
    EXPECT_EQ(tray->showMenu(QPoint(10, 10)), nullptr);
}

TEST_F(TrayWindowTest, ThePasswordGuardsTheHiddenWindow) {
    // No password: straight back.
    tray->wakeUp();
    EXPECT_EQ(mainWindow.restores, 1);

    // An empty password matches an empty entry.
    usePassword("");
    tray->wakeUp();
    ASSERT_TRUE(tray->promptOpen());
    answer("");
    EXPECT_FALSE(tray->promptOpen());
    EXPECT_EQ(mainWindow.restores, 2);
    EXPECT_TRUE(shownMessages().empty());

    // The comparison is exact; a wrong entry after OK says so and leaves the window hidden.
    usePassword("Secret 1");
    tray->wakeUp();
    PasswordDialog* first = tray->passwordDialog();
    ASSERT_NE(first, nullptr);
    tray->wakeUp();  // a second double click while the prompt is open does nothing
    EXPECT_EQ(tray->passwordDialog(), first);
    answer("secret 1");
    EXPECT_EQ(mainWindow.restores, 2);
    ASSERT_EQ(shownMessages().size(), 1u);
    EXPECT_EQ(shownMessages()[0], loadString(str::kInvalidPassword));

    // Cancel says nothing.
    tray->wakeUp();
    ASSERT_NE(tray->passwordDialog(), nullptr);
    tray->passwordDialog()->reject();
    QApplication::processEvents();
    EXPECT_FALSE(tray->promptOpen());
    EXPECT_EQ(shownMessages().size(), 1u);
    EXPECT_EQ(mainWindow.restores, 2);

    // A second start's wake-up goes through the same prompt.
    const auto reply = WindowEndpoint::send(kTrayWindowClass, kTrayWindowTitle,
                                            {kWmTrayNotify, 0, kWmLButtonDblClk});
    ASSERT_EQ(reply, 1);
    ASSERT_TRUE(test::processEventsUntil([this] { return tray->promptOpen(); }));
    answer("Secret 1");
    EXPECT_EQ(mainWindow.restores, 3);
}

}  // namespace
}  // namespace ambrin
