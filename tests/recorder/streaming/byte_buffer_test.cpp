#include "recorder/streaming/ByteBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <thread>

#include "recorder/streaming/StreamResult.h"
#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

using namespace std::chrono_literals;

// Byte i of a test stream.
std::uint8_t patternAt(std::size_t i) {
    return static_cast<std::uint8_t>(i * 7 + i / 251);
}

class ByteBufferTest : public test::EnvironmentTest {
  protected:
    // Writes `count` pattern bytes starting at stream byte `from`; the reservation must succeed.
    static void put(ByteBuffer& buffer, std::size_t from, std::size_t count) {
        const ByteBuffer::Block block = buffer.reserve(count);
        ASSERT_EQ(block.code, StreamResult::Done);
        for (std::size_t i = 0; i < count; ++i) {
            block.data[i] = patternAt(from + i);
        }
        buffer.commit(count);
    }
    // Requests `count` bytes and checks they are stream bytes `from`.., then releases them.
    static void take(ByteBuffer& buffer, std::size_t from, std::size_t count) {
        const ByteBuffer::Block block = buffer.request(count);
        ASSERT_EQ(block.code, StreamResult::Done);
        ASSERT_EQ(block.size, count);
        for (std::size_t i = 0; i < count; ++i) {
            ASSERT_EQ(block.data[i], patternAt(from + i)) << "byte " << i;
        }
        buffer.release(count);
    }
};

TEST_F(ByteBufferTest, ClosedBufferAnswersClosedToBothSides) {
    ByteBuffer buffer(64, 16, "Input");
    put(buffer, 0, 10);
    buffer.close();
    EXPECT_EQ(buffer.reserve(4).code, StreamResult::Closed);
    EXPECT_EQ(buffer.request(4).code, StreamResult::Closed);
    EXPECT_EQ(buffer.requestSome(4).code, StreamResult::Closed);
    EXPECT_EQ(buffer.resize(128, 0), StreamResult::Closed);
    EXPECT_EQ(buffer.name(), "Input");
}

TEST_F(ByteBufferTest, ReservationBeyondTheFreeRoomWaits) {
    ByteBuffer buffer(64, 16);
    put(buffer, 0, 60);
    EXPECT_EQ(buffer.reserve(5).code, StreamResult::NoRoom);
    take(buffer, 0, 8);
    EXPECT_EQ(buffer.reserve(5).code, StreamResult::Done);
}

TEST_F(ByteBufferTest, ReaderIsToldHowMuchThereIs) {
    ByteBuffer buffer(64, 16);
    put(buffer, 0, 10);
    ByteBuffer::Block block = buffer.request(11);
    EXPECT_EQ(block.code, StreamResult::NotEnoughData);
    EXPECT_EQ(block.size, 10u);
    buffer.markEnd();
    block = buffer.request(11);
    EXPECT_EQ(block.code, StreamResult::EndOfStream);
    EXPECT_EQ(block.size, 10u);
    take(buffer, 0, 10);
    EXPECT_EQ(buffer.request(1).code, StreamResult::EndOfStream);
    EXPECT_TRUE(buffer.drained());
}

TEST_F(ByteBufferTest, RequestWrappingFurtherThanTheOverflowIsRefused) {
    ByteBuffer buffer(64, 8);
    put(buffer, 0, 60);
    take(buffer, 0, 56);  // 4 bytes stay at ring offsets 56..59
    put(buffer, 60, 4);   // up to the end of the ring
    put(buffer, 64, 20);  // from its start
    EXPECT_EQ(buffer.request(20).code, StreamResult::BeyondOverflow);  // would wrap by 12
    take(buffer, 56, 16);  // wraps by 8: exactly the overflow
    take(buffer, 72, 12);
}

TEST_F(ByteBufferTest, WrapAroundDeliversContiguousBlocksToBothSides) {
    ByteBuffer buffer(32, 16);
    put(buffer, 0, 10);  // keeps the buffer from emptying, so the offsets walk around the ring
    std::size_t written = 10;
    std::size_t read = 0;
    for (int round = 0; round < 60; ++round) {
        const std::size_t count = 5 + static_cast<std::size_t>(round % 9);
        put(buffer, written, count);
        written += count;
        take(buffer, read, count);
        read += count;
    }
    take(buffer, read, 10);
}

TEST_F(ByteBufferTest, ResizeKeepsTheBytesUntilReadingBegins) {
    ByteBuffer buffer(64512, 0, "Output");
    put(buffer, 0, 1000);
    EXPECT_EQ(buffer.resize(999, 0), StreamResult::NoRoom);
    EXPECT_EQ(buffer.resize(524288, 87381), StreamResult::Done);
    EXPECT_EQ(buffer.ringSize(), 524288u);
    EXPECT_EQ(buffer.overflowSize(), 87381u);
    take(buffer, 0, 400);
    EXPECT_EQ(buffer.resize(1 << 20, 0), StreamResult::ReadingBegun);
    take(buffer, 400, 600);
}

TEST_F(ByteBufferTest, RewindWaitsForTheReaderThenEmpties) {
    ByteBuffer buffer(64, 16);
    put(buffer, 0, 40);
    buffer.markEnd();
    const ByteBuffer::Block held = buffer.request(20);
    ASSERT_EQ(held.code, StreamResult::Done);
    std::atomic<bool> rewound{false};
    std::thread rewinder([&] {
        buffer.rewind();
        rewound.store(true);
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(rewound.load()) << "rewind must wait while the reader holds a block";
    buffer.release(20);
    rewinder.join();
    EXPECT_TRUE(rewound.load());
    EXPECT_EQ(buffer.held(), 0u);
    EXPECT_EQ(buffer.written(), 0u);
    EXPECT_FALSE(buffer.endMarked());
    EXPECT_EQ(buffer.request(1).code, StreamResult::NotEnoughData);
}

TEST_F(ByteBufferTest, WriterAndReaderThreadsCarryEveryByteInOrder) {
    ByteBuffer buffer(4096, 1024);
    constexpr std::size_t kTotal = 1 << 20;
    std::thread writer([&] {
        std::mt19937 random(7);
        std::size_t written = 0;
        while (written < kTotal) {
            const std::size_t want = std::min<std::size_t>(1 + random() % 1024, kTotal - written);
            const std::uint64_t seen = buffer.changes();
            const ByteBuffer::Block block = buffer.reserve(want);
            if (block.code == StreamResult::NoRoom) {
                buffer.waitForChange(seen);
                continue;
            }
            ASSERT_EQ(block.code, StreamResult::Done);
            for (std::size_t i = 0; i < want; ++i) {
                block.data[i] = patternAt(written + i);
            }
            buffer.commit(want);
            written += want;
        }
        buffer.markEnd();
    });
    std::mt19937 random(11);
    std::size_t read = 0;
    for (;;) {
        const std::uint64_t seen = buffer.changes();
        const ByteBuffer::Block block = buffer.requestSome(1 + random() % 2000);
        if (block.code == StreamResult::EndOfStream) {
            break;
        }
        if (block.code == StreamResult::NotEnoughData) {
            buffer.waitForChange(seen);
            continue;
        }
        ASSERT_EQ(block.code, StreamResult::Done);
        for (std::size_t i = 0; i < block.size; ++i) {
            ASSERT_EQ(block.data[i], patternAt(read + i)) << "stream byte " << read + i;
        }
        read += block.size;
        buffer.release(block.size);
    }
    writer.join();
    EXPECT_EQ(read, kTotal);
}

}  // namespace
}  // namespace ambrin
