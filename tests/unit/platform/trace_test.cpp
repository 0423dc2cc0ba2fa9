// The trace channel: the block layout, no waiting without a viewer or with a stuck one, and
// several threads at once.

#include "platform/trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "private_netns.h"

namespace trv81k {
namespace {

using namespace std::chrono_literals;
using testing::TraceListener;

using TraceTest = testing::PrivateNetworkTest;

std::string LineOf(const TraceListener::Block& block) {
    const auto* begin = block.bytes.data();
    return std::string(reinterpret_cast<const char*>(begin),
                       ::strnlen(reinterpret_cast<const char*>(begin), block.length));
}

TEST_F(TraceTest, WithoutViewerEveryCallReturnsAtOnce) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 1000; ++i) {
        Trace("English");
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST_F(TraceTest, LineArrivesAsOneZeroPaddedBlock) {
    TraceListener listener;
    ASSERT_TRUE(listener.bound());

    Trace("English");
    auto block = listener.receive();
    ASSERT_TRUE(block);
    EXPECT_EQ(block->length, 255u);
    EXPECT_EQ(0, std::memcmp(block->bytes.data(), "English\0", 8));
    // Nothing of the caller's memory follows the line.
    EXPECT_TRUE(std::all_of(block->bytes.begin() + 8, block->bytes.begin() + 255,
                            [](std::uint8_t b) { return b == 0; }));

    Trace(std::string("value %d of %s"));
    block = listener.receive();
    ASSERT_TRUE(block);
    EXPECT_EQ(LineOf(*block), "value %d of %s");

    Trace(static_cast<const char*>(nullptr));
    Trace(std::string());
    for (int i = 0; i < 2; ++i) {
        block = listener.receive();
        ASSERT_TRUE(block);
        EXPECT_EQ(block->length, 255u);
        EXPECT_EQ(block->bytes[0], 0);
    }
}

TEST_F(TraceTest, LongLineIsCutSoItsEndStaysInTheBlock) {
    TraceListener listener;
    ASSERT_TRUE(listener.bound());
    std::string text;
    for (int i = 0; i < 300; ++i) {
        text += static_cast<char>('a' + i % 26);
    }
    // 254 characters fit whole; 255 and more lose their tail, never the zero byte.
    for (const std::size_t length : {254u, 255u, 256u, 300u}) {
        Trace(text.substr(0, length));
        const auto block = listener.receive();
        ASSERT_TRUE(block);
        ASSERT_EQ(block->length, 255u);
        EXPECT_EQ(LineOf(*block), text.substr(0, 254)) << length;
        EXPECT_EQ(block->bytes[254], 0) << length;
    }
}

TEST_F(TraceTest, ThreadsTraceAtOnceWithoutMixingLines) {
    // Room in the listener's queue for every line, so none is dropped.
    {
        std::ofstream queueLength("/proc/sys/net/unix/max_dgram_qlen");
        queueLength << 1000 << std::flush;
        if (!queueLength) {
            GTEST_SKIP() << "cannot raise the datagram queue length";
        }
    }
    TraceListener listener;
    ASSERT_TRUE(listener.bound());

    constexpr int kThreads = 4;
    constexpr int kLines = 100;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i) {
                // Lines of different lengths, so a mixed-up block would show.
                Trace("thread " + std::to_string(t) + " line " + std::to_string(i) +
                      std::string(static_cast<std::size_t>(i % 7) * 20, '.'));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }

    std::vector<int> next(kThreads, 0);
    for (int n = 0; n < kThreads * kLines; ++n) {
        const auto block = listener.receive();
        ASSERT_TRUE(block) << "line " << n << " missing";
        const std::string line = LineOf(*block);
        int t = -1;
        int i = -1;
        ASSERT_EQ(std::sscanf(line.c_str(), "thread %d line %d", &t, &i), 2) << line;
        ASSERT_TRUE(t >= 0 && t < kThreads) << line;
        EXPECT_EQ(i, next[t]) << line;  // each thread's lines in its own order
        EXPECT_EQ(line, "thread " + std::to_string(t) + " line " + std::to_string(i) +
                            std::string(static_cast<std::size_t>(i % 7) * 20, '.'));
        next[t] = i + 1;
    }
}

TEST_F(TraceTest, ViewerThatStopsReadingDoesNotHoldUpTheCaller) {
    TraceListener listener;
    ASSERT_TRUE(listener.bound());

    constexpr int kCalls = 2000;
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread tracer([&] {
        for (int i = 0; i < kCalls; ++i) {
            Trace("line " + std::to_string(i));
        }
        std::lock_guard lock(mutex);
        done = true;
        finished.notify_one();
    });
    bool inTime;
    {
        std::unique_lock lock(mutex);
        inTime = finished.wait_for(lock, 10s, [&] { return done; });
    }
    if (!inTime) {
        listener.close();  // wakes a sender stuck on the full queue, so the thread can end
    }
    tracer.join();
    ASSERT_TRUE(inTime) << "Trace waited for a viewer that does not read";

    // The queue did fill up: fewer lines are waiting than were sent, the first ones first.
    int waiting = 0;
    while (auto block = listener.receive(0ms)) {
        if (waiting == 0) {
            EXPECT_EQ(LineOf(*block), "line 0");
        }
        ++waiting;
    }
    EXPECT_GT(waiting, 0);
    EXPECT_LT(waiting, kCalls);
}

}  // namespace
}  // namespace trv81k
