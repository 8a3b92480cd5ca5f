// SPDX-License-Identifier: GPL-3.0-or-later
// The side thread runs jobs one at a time in the order posted, and a job's failure reaches
// the thread that waits for it instead of ending the program.
#include "raster/SideThread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

TEST(SideThread, RunsJobsInOrderAndHandsOnTheirFailures) {
    std::vector<int> done;
    {
        raster::SideThread side;
        for (int k = 0; k < 200; ++k) {
            // Now and then the owner is slower than the job, so that the thread also sleeps
            // between jobs and is woken again.
            if (k % 50 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
            side.Post([&done, k] { done.push_back(k); });
        }
        side.Wait();
        ASSERT_EQ(done.size(), 200u);
        for (int k = 0; k < 200; ++k) ASSERT_EQ(done[std::size_t(k)], k);

        side.Post([] { throw std::runtime_error("no room"); });
        EXPECT_THROW(side.Wait(), std::runtime_error);
        side.Wait(); // reported once
        side.Post([&done] { done.push_back(-1); });
        side.Wait();
        EXPECT_EQ(done.back(), -1);

        // The job in hand when the thread is ended still runs to its end.
        side.Post([&done] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            done.push_back(-2);
        });
    }
    EXPECT_EQ(done.back(), -2);
}
