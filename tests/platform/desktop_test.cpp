// The small desktop services: auto-start entry, message boxes without a display, starting
// programs.

#include <gtest/gtest.h>

#include <thread>

#include "platform/AutoStart.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

class DesktopTest : public test::EnvironmentTest {};

TEST_F(DesktopTest, AutoStartEntryIsWrittenAndRemoved) {
    EXPECT_FALSE(AutoStart::isEnabled());
    ASSERT_TRUE(AutoStart::setEnabled(true, "/opt/My \"Calls\"/ambrin"));
    EXPECT_TRUE(AutoStart::isEnabled());
    const std::string entry = test::readFile(env.path("config/autostart/ambrin.desktop"));
    EXPECT_NE(entry.find("Exec=\"/opt/My \\\"Calls\\\"/ambrin\""), std::string::npos) << entry;
    EXPECT_NE(entry.find("[Desktop Entry]"), std::string::npos);
    ASSERT_TRUE(AutoStart::setEnabled(false, ""));
    EXPECT_FALSE(AutoStart::isEnabled());
    EXPECT_TRUE(AutoStart::setEnabled(false, ""));  // removing twice is fine
}

TEST_F(DesktopTest, AutoStartReportsAFolderItCannotWrite) {
    test::writeFile(env.path("config/autostart"), "a file, not a folder");
    EXPECT_FALSE(AutoStart::setEnabled(true, "/opt/ambrin"));
    EXPECT_FALSE(AutoStart::isEnabled());
}

TEST_F(DesktopTest, WithoutADisplayMessagesGoToStandardErrorWithTheDefaultAnswer) {
    setMessagePresenter({});
    testing::internal::CaptureStderr();
    EXPECT_EQ(showMessage("Do you want to exit?", kMbYesNo | kMbIconQuestion), kIdYes);
    EXPECT_EQ(showMessage("Really?", kMbYesNo | kMbDefButton2), kIdNo);
    EXPECT_EQ(showMessage("Disk full", kMbIconWarning), kIdOk);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_NE(printed.find("Ambrin+: Do you want to exit? [answered Yes]\n"), std::string::npos)
        << printed;
    EXPECT_NE(printed.find("Ambrin+: Really? [answered No]\n"), std::string::npos);
    EXPECT_NE(printed.find("Ambrin+: Disk full\n"), std::string::npos);
}

TEST_F(DesktopTest, APresenterSeesCaptionAndForegroundFlag) {
    MessageRequest seen;
    setMessagePresenter([&](const MessageRequest& request) {
        seen = request;
        return kIdNo;
    });
    EXPECT_EQ(showMessage("text", kMbYesNo), kIdNo);
    EXPECT_EQ(seen.caption, "Ambrin+");
    EXPECT_NE(seen.flags & kMbSetForeground, 0u);  // no owner window
    showMessage("text", kMbOk, true);
    EXPECT_EQ(seen.flags & kMbSetForeground, 0u);
    setMessagePresenter({});
}

TEST_F(DesktopTest, ProgramsStartInTheirFolderAndMissingOnesAreReported) {
    const std::string script = env.path("tool");
    test::writeFile(script, "#!/bin/sh\necho \"$1\" > \"$(pwd)/started\"\n", 0755);
    ASSERT_TRUE(startProgram(script, {"hello"}, env.path("tmp")));
    for (int i = 0; i < 300 && test::readFile(env.path("tmp/started")).empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(test::readFile(env.path("tmp/started")), "hello\n");
    EXPECT_FALSE(startProgram(env.path("missing"), {}));
}

}  // namespace
}  // namespace ambrin
