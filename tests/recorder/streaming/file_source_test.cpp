#include "recorder/streaming/FileSource.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <thread>

#include "StreamingTestTools.h"
#include "recorder/streaming/StreamResult.h"

namespace ambrin {
namespace {

using namespace std::chrono_literals;

std::string bytesOf(std::size_t count) {
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<char>(i * 13 + i / 97);
    }
    return bytes;
}

class StreamingSourceTest : public test::EnvironmentTest {
  protected:
    void TearDown() override { source.shutdown(); }

    // Opens `content` written to a file and lets the source read.
    void startWith(const std::string& content) {
        const std::string path = env.path("recording.ogg");
        test::writeFile(path, content);
        ASSERT_EQ(source.open(path), StreamResult::Done);
        ASSERT_TRUE(source.launch());
        source.start();
    }

    // Waits until the source has marked the end of the file.
    bool waitForEnd() {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (std::chrono::steady_clock::now() < deadline) {
            const std::uint64_t seen = source.output().changes();
            if (source.output().endMarked()) {
                return true;
            }
            source.output().waitForChange(seen, 100ms);
        }
        return false;
    }

    std::string readAll(std::size_t count) {
        const ByteBuffer::Block block = source.output().request(count);
        EXPECT_EQ(block.code, StreamResult::Done);
        if (block.code != StreamResult::Done) {
            return {};
        }
        std::string bytes(reinterpret_cast<const char*>(block.data), block.size);
        source.output().release(block.size);
        return bytes;
    }

    test::CollectingSink sink;
    StreamNotifier notifier{sink};
    FileSource source{notifier};
};

TEST_F(StreamingSourceTest, ShortFileIsReadInOneStepWithItsEndMarked) {
    const std::string content = bytesOf(5000);
    startWith(content);
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(source.output().held(), 5000u);
    EXPECT_EQ(source.output().written(), 5000u);
    EXPECT_EQ(readAll(5000), content);
    EXPECT_EQ(source.output().request(1).code, StreamResult::EndOfStream);
    EXPECT_EQ(source.length(), 5000);
    EXPECT_EQ(sink.size(), 0u);
}

TEST_F(StreamingSourceTest, OpenFailuresCarryTheSystemsReason) {
    EXPECT_EQ(source.open(env.path("missing.ogg")), StreamResult::NotFound);
    EXPECT_EQ(source.open(env.path("no-folder/missing.ogg")), StreamResult::NotFound);
    ::mkdir(env.path("folder.ogg").c_str(), 0755);
    EXPECT_EQ(source.open(env.path("folder.ogg")), StreamResult::AccessDenied);
}

TEST_F(StreamingSourceTest, SeekRefillsFromTheNewPlaceAndTellCountsWhatIsBuffered) {
    const std::string content = bytesOf(20000);
    startWith(content);
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(source.tell(), 0);  // everything read ahead is still buffered
    EXPECT_EQ(readAll(1000), content.substr(0, 1000));
    EXPECT_EQ(source.tell(), 1000);

    ASSERT_EQ(source.seek(12000, SEEK_SET), 0);
    EXPECT_EQ(source.tell(), 12000);
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(readAll(8000), content.substr(12000));

    ASSERT_EQ(source.seek(-100, SEEK_END), 0);
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(source.tell(), 19900);
    EXPECT_EQ(readAll(100), content.substr(19900));
    ASSERT_EQ(source.seek(-50, SEEK_CUR), 0);
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(readAll(50), content.substr(19950));
}

TEST_F(StreamingSourceTest, FileLargerThanTheBufferStreamsThroughIntact) {
    const std::string content = bytesOf(300000);  // several times the 65536-byte ring
    startWith(content);
    std::string received;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
        const std::uint64_t seen = source.output().changes();
        const ByteBuffer::Block block = source.output().requestSome(3000);
        if (block.code == StreamResult::EndOfStream) {
            break;
        }
        if (block.code == StreamResult::Done) {
            received.append(reinterpret_cast<const char*>(block.data), block.size);
            source.output().release(block.size);
            continue;
        }
        source.output().waitForChange(seen, 100ms);
    }
    EXPECT_EQ(received.size(), content.size());
    EXPECT_TRUE(received == content);
}

}  // namespace
}  // namespace ambrin
