#include "platform/Event.h"
#include "platform/MessageTarget.h"
#include "platform/Thread.h"
#include "platform/Time.h"
#include "PumpUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using pw::MessageTarget;


// Everything a handler saw, for assertions on the owner thread.
struct Calls {
    std::mutex mutex;
    std::vector<std::pair<uintptr_t, intptr_t>> seen;
    std::vector<pw::ThreadId> threads;
    std::atomic<int> count{0};

    MessageTarget::Handler Handler() {
        return [this](uintptr_t w, intptr_t l) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                seen.emplace_back(w, l);
                threads.push_back(pw::CurrentThreadId());
            }
            count++;
        };
    }
};

TEST(MessageTarget, SendFromTheOwnerCallsTheHandlerDirectly) {
    Calls calls;
    MessageTarget target(L"PwTestTarget", L"PwTestMessage", calls.Handler());
    EXPECT_EQ(target.OwnerThread(), pw::CurrentThreadId());
    EXPECT_TRUE(target.Send(1, -2));
    ASSERT_EQ(calls.count.load(), 1);
    EXPECT_EQ(calls.seen[0], std::make_pair(uintptr_t{1}, intptr_t{-2}));
    EXPECT_EQ(calls.threads[0], pw::CurrentThreadId());
}

TEST(MessageTarget, PostFromTheOwnerWaitsForThePump) {
    Calls calls;
    MessageTarget target(L"PwTestTarget", L"PwTestMessage", calls.Handler());
    EXPECT_TRUE(target.Post(7, 8));
    EXPECT_TRUE(target.Post(9, 10));
    EXPECT_EQ(calls.count.load(), 0);
    ASSERT_TRUE(PumpUntil([&] { return calls.count.load() == 2; }));
    EXPECT_EQ(calls.seen[0], std::make_pair(uintptr_t{7}, intptr_t{8}));  // in order
    EXPECT_EQ(calls.seen[1], std::make_pair(uintptr_t{9}, intptr_t{10}));
}

TEST(MessageTarget, PumpWaitsForWorkThenTimesOut) {
    // Other windows may have messages on Windows; drain them first.
    while (pw::PumpMessages(0) > 0) {
    }
    uint32_t before = pw::TickCount();
    EXPECT_EQ(pw::PumpMessages(80), 0);
    EXPECT_GE(pw::TickCount() - before, 60u);
}

TEST(MessageTarget, PumpWakesWhenAPostArrives) {
    Calls calls;
    MessageTarget target(L"PwTestTarget", L"PwTestMessage", calls.Handler());
    MessageTarget::Address address = target.GetAddress();
    std::thread poster([address] {
        pw::SleepMs(30);
        address.Post(5, 6);
    });
    ASSERT_TRUE(PumpUntil([&] { return calls.count.load() == 1; }));
    poster.join();
}

TEST(MessageTarget, SendFromWorkersRunsOnTheOwnerAndReturnsAfterwards) {
    Calls calls;
    MessageTarget target(L"PwTestTarget", L"PwTestMessage", calls.Handler());
    const int workers = 4, each = 25;
    std::atomic<int> failures{0};
    std::atomic<int> finished{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < workers; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < each; ++i) {
                int before = calls.count.load();
                if (!target.Send(static_cast<uintptr_t>(t), i))
                    failures++;
                // Send returns only after the handler ran for this very call.
                if (calls.count.load() <= before)
                    failures++;
            }
            finished++;
        });
    }
    ASSERT_TRUE(PumpUntil([&] { return finished.load() == workers; }));
    for (auto& t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(calls.count.load(), workers * each);
    for (pw::ThreadId id : calls.threads) EXPECT_EQ(id, pw::CurrentThreadId());
}

TEST(MessageTarget, SendResultIsSeenByTheSender) {
    // What the handler wrote is visible to the sender after Send returns.
    int value = 0;  // not atomic: Send orders the accesses
    MessageTarget target(L"PwTestTarget", L"PwTestMessage", [&](uintptr_t w, intptr_t) { value = int(w); });
    std::atomic<bool> ok{false};
    std::atomic<int> observed{-1};
    std::thread sender([&] {
        ok = target.Send(42, 0);
        observed = value;
    });
    ASSERT_TRUE(PumpUntil([&] { return observed.load() != -1; }));
    sender.join();
    EXPECT_TRUE(ok.load());
    EXPECT_EQ(observed.load(), 42);
}

TEST(MessageTarget, PostsFromManyThreadsArriveExactlyOnce) {
    Calls calls;
    MessageTarget target(L"PwTestTarget", L"PwTestMessage", calls.Handler());
    const int workers = 6, each = 500;
    std::atomic<int> refused{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < workers; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < each; ++i) {
                if (!target.Post(static_cast<uintptr_t>(t), i))
                    refused++;
            }
        });
    }
    for (auto& t : threads) t.join();
    ASSERT_EQ(refused.load(), 0);
    ASSERT_TRUE(PumpUntil([&] { return calls.count.load() >= workers * each; }));
    pw::PumpMessages(20);  // nothing extra may arrive
    ASSERT_EQ(calls.count.load(), workers * each);
    std::vector<std::vector<int>> perThread(workers, std::vector<int>(each, 0));
    std::vector<int> next(workers, 0);
    bool inOrder = true;
    for (auto [w, l] : calls.seen) {
        ASSERT_LT(w, static_cast<uintptr_t>(workers));
        ASSERT_GE(l, 0);
        ASSERT_LT(l, each);
        perThread[w][l]++;
        if (l != next[w]++)
            inOrder = false;
    }
    for (auto& counts : perThread) {
        for (int c : counts) EXPECT_EQ(c, 1);
    }
    EXPECT_TRUE(inOrder);  // each thread's posts keep their order
    for (pw::ThreadId id : calls.threads) EXPECT_EQ(id, pw::CurrentThreadId());
}

TEST(MessageTarget, PostsWhilePumpingArriveExactlyOnce) {
    Calls calls;
    MessageTarget target(L"PwTestTarget", L"PwTestMessage", calls.Handler());
    MessageTarget::Address address = target.GetAddress();
    const int workers = 4, each = 300;
    std::vector<std::thread> threads;
    std::atomic<int> refused{0};
    for (int t = 0; t < workers; ++t) {
        threads.emplace_back([=, &refused] {
            for (int i = 0; i < each; ++i) {
                if (!address.Post(static_cast<uintptr_t>(t), i))
                    refused++;
                if (i % 50 == 0)
                    pw::SleepMs(1);
            }
        });
    }
    ASSERT_TRUE(PumpUntil([&] { return calls.count.load() + refused.load() >= workers * each; }));
    for (auto& t : threads) t.join();
    pw::PumpMessages(20);
    EXPECT_EQ(refused.load(), 0);
    EXPECT_EQ(calls.count.load(), workers * each);
}

TEST(MessageTarget, PostBeyondTheQueueLimitFails) {
    Calls calls;
    MessageTarget target(L"PwTestTarget", L"PwTestMessage", calls.Handler());
    target.SetQueueLimit(5);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(target.Post(0, i)) << i;
    EXPECT_FALSE(target.Post(0, 5));
    std::atomic<bool> fromWorker{true};
    std::thread([&] { fromWorker = target.Post(0, 6); }).join();
    EXPECT_FALSE(fromWorker.load());
    EXPECT_TRUE(target.Send(0, 99));  // sent calls are not posts: the limit does not apply
    ASSERT_TRUE(PumpUntil([&] { return calls.count.load() == 6; }));
    EXPECT_TRUE(target.Post(0, 7));  // room again once handled
    ASSERT_TRUE(PumpUntil([&] { return calls.count.load() == 7; }));
}

TEST(MessageTarget, DefaultQueueLimitIsTenThousand) {
    std::atomic<int> count{0};
    MessageTarget target(L"PwTestTarget", L"PwTestMessage", [&](uintptr_t, intptr_t) { count++; });
    int accepted = 0;
    while (accepted < 20000 && target.Post(0, accepted)) ++accepted;
    EXPECT_EQ(accepted, 10000);
    ASSERT_TRUE(PumpUntil([&] { return count.load() == 10000; }));
}

TEST(MessageTarget, SentCallsAreHandledWhileTheOwnerBlocksInThePump) {
    Calls calls;
    MessageTarget target(L"PwTestTarget", L"PwTestMessage", calls.Handler());
    std::atomic<bool> ok{false};
    std::thread sender([&] {
        pw::SleepMs(30);  // the owner is already waiting in the pump
        ok = target.Send(3, 4);
    });
    int handled = pw::PumpMessages(pw::kInfinite);  // returns once the call was handled
    sender.join();
    EXPECT_GE(handled, 1);
    EXPECT_TRUE(ok.load());
    EXPECT_EQ(calls.count.load(), 1);
}

TEST(MessageTarget, ThreadsSendingToEachOtherDoNotDeadlock) {
    // The owner sends to a worker's target while the worker sends to the owner's: each handles
    // the other's call while it waits, as with SendMessage.
    std::atomic<int> ownerCalls{0}, workerCalls{0};
    MessageTarget ownerTarget(L"PwTestTarget", L"PwTestMessage", [&](uintptr_t, intptr_t) { ownerCalls++; });
    std::unique_ptr<MessageTarget::Address> workerAddress;
    pw::Event workerReady(pw::Event::Reset::Manual);
    pw::Event stop(pw::Event::Reset::Manual);
    std::atomic<bool> workerSent{false};
    std::thread worker([&] {
        MessageTarget mine(L"PwTestTarget", L"PwTestMessage", [&](uintptr_t, intptr_t) { workerCalls++; });
        workerAddress = std::make_unique<MessageTarget::Address>(mine.GetAddress());
        workerReady.Set();
        workerSent = ownerTarget.Send(1, 1);  // waits for the owner, who is sending to us
        while (!stop.IsSet()) pw::PumpMessages(10);
    });
    ASSERT_TRUE(workerReady.Wait(30000));
    EXPECT_TRUE(workerAddress->Send(2, 2));
    ASSERT_TRUE(PumpUntil([&] { return workerSent.load(); }));
    stop.Set();
    worker.join();
    EXPECT_EQ(ownerCalls.load(), 1);
    EXPECT_EQ(workerCalls.load(), 1);
}

TEST(MessageTarget, DestroyingDropsQueuedPosts) {
    std::atomic<int> count{0};
    {
        MessageTarget doomed(L"PwTestTarget", L"PwTestMessage", [&](uintptr_t, intptr_t) { count++; });
        for (int i = 0; i < 10; ++i) ASSERT_TRUE(doomed.Post(0, i));
    }
    MessageTarget other(L"PwTestTarget", L"PwTestMessage", [&](uintptr_t, intptr_t) { count += 1000; });
    ASSERT_TRUE(other.Post(0, 0));
    ASSERT_TRUE(PumpUntil([&] { return count.load() >= 1000; }));
    pw::PumpMessages(20);
    EXPECT_EQ(count.load(), 1000);
}

TEST(MessageTarget, AddressFailsOnceTheTargetIsGone) {
    MessageTarget::Address address;
    EXPECT_FALSE(address.Post(0, 0));
    EXPECT_FALSE(address.Send(0, 0));
    std::atomic<int> count{0};
    {
        MessageTarget target(L"PwTestTarget", L"PwTestMessage", [&](uintptr_t, intptr_t) { count++; });
        address = target.GetAddress();
        EXPECT_TRUE(address.Send(0, 0));
    }
    EXPECT_FALSE(address.Post(0, 0));
    EXPECT_FALSE(address.Send(0, 0));
    std::atomic<bool> sent{true};
    std::thread([&] { sent = address.Send(0, 0); }).join();
    EXPECT_FALSE(sent.load());
    EXPECT_EQ(count.load(), 1);
}

TEST(MessageTarget, DestroyingReleasesABlockedSender) {
    std::atomic<int> count{0};
    auto target = std::make_unique<MessageTarget>(L"PwTestTarget", L"PwTestMessage",
                                                  [&](uintptr_t, intptr_t) { count++; });
    MessageTarget::Address address = target->GetAddress();
    std::atomic<int> result{-1};
    std::atomic<bool> sending{false};
    std::thread sender([&] {
        sending = true;
        result = address.Send(1, 1) ? 1 : 0;
    });
    while (!sending.load()) pw::SleepMs(1);
    pw::SleepMs(50);  // the sender is (very likely) blocked by now; either way it must not hang
    target.reset();   // without pumping
    sender.join();
    EXPECT_EQ(result.load(), 0);
    EXPECT_EQ(count.load(), 0);
}

TEST(MessageTarget, PostsRacingTheDestructorAreSafe) {
    for (int round = 0; round < 20; ++round) {
        std::atomic<int> count{0};
        auto target = std::make_unique<MessageTarget>(L"PwTestTarget", L"PwTestMessage",
                                                      [&](uintptr_t, intptr_t) { count++; });
        MessageTarget::Address address = target->GetAddress();
        std::atomic<bool> stop{false};
        std::atomic<int> accepted{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 3; ++t) {
            threads.emplace_back([address, &stop, &accepted, t] {
                for (int i = 0; !stop.load(); ++i) {
                    if (address.Post(0, i))
                        accepted++;
                    if (t == 0 && i % 64 == 0)
                        address.Send(1, i);  // senders race it too
                    if (i % 16 == 0)
                        std::this_thread::yield();
                }
            });
        }
        while (accepted.load() < 50) pw::PumpMessages(1);
        pw::PumpMessages(0);
        target.reset();
        int handledAtDestruction = count.load();
        pw::PumpMessages(5);  // nothing may reach the handler any more
        stop = true;
        for (auto& t : threads) t.join();
        pw::PumpMessages(5);
        EXPECT_EQ(count.load(), handledAtDestruction);
        EXPECT_FALSE(address.Post(0, 0));
    }
}

TEST(MessageTarget, DestroyedFromAnotherThreadWhileTheOwnerPumps) {
    std::atomic<int> count{0};
    pw::Event inHandler(pw::Event::Reset::Manual);
    pw::Event release(pw::Event::Reset::Manual);
    auto target =
        std::make_unique<MessageTarget>(L"PwTestTarget", L"PwTestMessage", [&](uintptr_t w, intptr_t) {
            if (w == 1) {
                inHandler.Set();
                release.Wait(30000);
            }
            count++;
        });
    ASSERT_TRUE(target->Post(1, 0));
    ASSERT_TRUE(target->Post(2, 0));
    std::atomic<bool> destroyed{false};
    std::thread destroyer([&] {
        inHandler.Wait(pw::kInfinite);
        target.reset();  // waits for the running handler; drops the second post
        destroyed = true;
    });
    std::thread releaser([&] {
        inHandler.Wait(pw::kInfinite);
        pw::SleepMs(50);
        EXPECT_FALSE(destroyed.load());  // still waiting for the handler
        release.Set();
    });
    ASSERT_TRUE(PumpUntil([&] { return destroyed.load(); }));
    destroyer.join();
    releaser.join();
    pw::PumpMessages(20);
    EXPECT_EQ(count.load(), 1);
}

TEST(MessageTarget, AHandlerMayDestroyItsOwnTarget) {
    std::unique_ptr<MessageTarget> target;
    std::atomic<int> count{0};
    target = std::make_unique<MessageTarget>(L"PwTestTarget", L"PwTestMessage", [&](uintptr_t, intptr_t) {
        count++;
        target.reset();
    });
    ASSERT_TRUE(target->Post(0, 0));
    ASSERT_TRUE(target->Post(0, 1));
    ASSERT_TRUE(PumpUntil([&] { return target == nullptr; }));
    pw::PumpMessages(20);
    EXPECT_EQ(count.load(), 1);
}

TEST(MessageTarget, SendToATargetWhoseThreadEndedFails) {
    std::unique_ptr<MessageTarget> target;
    std::thread([&] {
        target =
            std::make_unique<MessageTarget>(L"PwTestTarget", L"PwTestMessage", [](uintptr_t, intptr_t) {});
    }).join();
    EXPECT_FALSE(target->Send(0, 0));
    EXPECT_FALSE(target->Post(0, 0));
    target.reset();
}

}  // namespace
