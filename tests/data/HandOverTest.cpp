#include "data/Error.h"
#include "data/HandOver.h"

#include <gtest/gtest.h>
#include <thread>

using namespace vi23;

// Both ends of the hand-over between the thread reading a book's rows (or writing its pages) and the
// report: the order kept, the end seen, and a failure or a stop on one side reaching the other even
// while it waits.
TEST(HandOver, ItemsArriveInOrderAndAFailureOrStopReachesTheOtherSide)
{
    {
        HandOver<int> line(2);
        std::thread giver([&] {
            for (int i = 1; i <= 5; ++i)
                line.give(i);
            line.finish();
        });
        std::vector<int> taken;
        while (std::optional<int> item = line.take())
            taken.push_back(*item);
        giver.join();
        EXPECT_EQ(taken, (std::vector<int>{1, 2, 3, 4, 5}));
    }
    {
        // The giving side fails: the taker, waiting, gets the failure rather than a quiet end.
        HandOver<int> line(2);
        std::thread giver([&] { line.stop(std::make_exception_ptr(UserError(QStringLiteral("диск недоступен")))); });
        EXPECT_THROW(line.take(), UserError);
        giver.join();
    }
    {
        // The taking side fails while the giver waits on a full queue: the giver gets the failure.
        HandOver<int> line(1);
        ASSERT_TRUE(line.give(1));
        std::thread taker([&] { line.stop(std::make_exception_ptr(UserError(QStringLiteral("нет места")))); });
        EXPECT_THROW(line.give(2), UserError);
        taker.join();
        EXPECT_THROW(line.rethrowFailure(), UserError);
    }
    {
        // A plain stop, as when a report is closed mid-way: the giver is told to give up, no failure.
        HandOver<int> line(1);
        ASSERT_TRUE(line.give(1));
        std::thread taker([&] { line.stop(); });
        EXPECT_FALSE(line.give(2));
        taker.join();
        EXPECT_NO_THROW(line.rethrowFailure());
        EXPECT_EQ(line.take(), std::nullopt);
    }
}
