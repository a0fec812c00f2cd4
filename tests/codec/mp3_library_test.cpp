#include "codec/Mp3Library.h"

#include <gtest/gtest.h>

#include "EncoderTestTools.h"
#include "codec/Mp3Sink.h"
#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "platform/StringTable.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

// The loader against stand-ins (LAME forwarded to the real one, with or without an entry
// point) in a fresh program folder.
class Mp3LibraryTest : public test::EnvironmentTest {
  protected:
    void SetUp() override {
        env.setVariable(Mp3Library::kSearchOverrideVariable, std::nullopt);
        makeFolders(m_program);
    }
    void TearDown() override { setMessagePresenter(nullptr); }

    std::string install(const char* standIn) {
        const std::string target = m_program + "/" + Mp3Library::kFileName;
        EXPECT_TRUE(test::copyFile(standIn, target));
        return target;
    }

    static bool mapped(const std::string& path) {
        return test::readFile("/proc/self/maps").find(path) != std::string::npos;
    }

    const std::string m_program = env.path("program");
};

TEST_F(Mp3LibraryTest, WithoutTheLameTagFrameTheProbePassesWithoutTheTagWriterItFails) {
    install(AMBRIN_LAME_WITHOUT_LAMETAG);
    EXPECT_TRUE(Mp3Library::probe(m_program));
    install(AMBRIN_LAME_WITHOUT_TAGS_FID);
    EXPECT_FALSE(Mp3Library::probe(m_program)) << "the program folder's library is the one used";
    EXPECT_TRUE(Mp3Library::probe(env.path("empty"))) << "the system's own";
    test::writeFile(m_program + "/" + Mp3Library::kFileName, "not a library");
    EXPECT_FALSE(Mp3Library::probe(m_program));
}

TEST_F(Mp3LibraryTest, TheProbeUnloadsWhileARecordingKeepsItsLibrary) {
    const std::string path = install(AMBRIN_LAME_FULL);
    ASSERT_TRUE(Mp3Library::probe(m_program + "/"));
    EXPECT_FALSE(mapped(path));

    auto sink = std::make_unique<Mp3Sink>(Mp3Library::load(m_program), 24, 8000);
    ASSERT_TRUE(sink->open(env.path("call.mp3")));
    EXPECT_TRUE(Mp3Library::probe(m_program));
    EXPECT_TRUE(mapped(path));
    EXPECT_TRUE(test::feed(*sink, test::tone(1.0, 440)));
    sink.reset();
    EXPECT_FALSE(mapped(path));
    EXPECT_EQ(test::layer3Frames(test::readFile(env.path("call.mp3"))).at(0).bitRate, 24);
}

TEST_F(Mp3LibraryTest, WithNoLibraryTheProbeAndAnMp3StartFail) {
    env.setVariable(Mp3Library::kSearchOverrideVariable, env.path("nowhere/libmp3lame.so.0"));
    EXPECT_FALSE(Mp3Library::probe(m_program));
    Mp3Sink sink(Mp3Library::load(m_program), 16, 8000);
    EXPECT_FALSE(sink.open(env.path("call.mp3")));
    EXPECT_FALSE(fileExists(env.path("call.mp3")));

    env.setVariable(Mp3Library::kSearchOverrideVariable, AMBRIN_LAME_FULL);
    const auto library = Mp3Library::load(m_program);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(library->origin(), AMBRIN_LAME_FULL);
}

TEST_F(Mp3LibraryTest, WithoutALibraryTheUserIsOfferedTheDownloadPage) {
    env.setVariable(Mp3Library::kSearchOverrideVariable, env.path("nowhere/libmp3lame.so.0"));
    std::vector<MessageRequest> asked;
    int answer = kIdYes;
    setMessagePresenter([&](const MessageRequest& request) {
        asked.push_back(request);
        return answer;
    });
    std::vector<std::string> opened;
    const auto probe = [&] {
        return Mp3Library::probeOrOfferDownload(m_program + "/", true,
                                                [&](const std::string& page) {
                                                    opened.push_back(page);
                                                    return true;
                                                });
    };

    SetUiLanguage(kLangEnglish);
    EXPECT_FALSE(probe());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].flags & 0xFFu, kMbYesNo | kMbIconQuestion);
    EXPECT_EQ(asked[0].text,
              "If you want to record as an MP3, install libmp3lame.so.0 (package libmp3lame0), or "
              "copy it at "
              "\n\nAmbrin+ Installation directory (\"" +
                  m_program +
                  "\").\n\n\nWould you like to open the download page of libmp3lame.so.0?");
    EXPECT_EQ(opened, std::vector<std::string>{Mp3Library::kDownloadPage});

    SetUiLanguage(kLangKorean);
    answer = kIdNo;
    EXPECT_FALSE(probe());
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_NE(asked[1].text.find("libmp3lame.so.0(libmp3lame0"), std::string::npos);
    EXPECT_NE(asked[1].text.find("(\"" + m_program + "\")"), std::string::npos);
    EXPECT_EQ(opened.size(), 1u);

    install(AMBRIN_LAME_FULL);
    EXPECT_TRUE(probe());
    EXPECT_EQ(asked.size(), 2u);
}

}  // namespace
}  // namespace ambrin
