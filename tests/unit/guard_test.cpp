// The front ends' boundary guard: whatever the guarded work throws ends in the failure handler.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

#include "common/Guard.h"

namespace {

TEST(RunGuarded, ReturnsTheResultOrCallsTheFailureHandlerOnceForAnythingThrown) {
    const struct {
        const char* what;
        std::function<int()> work;
        int result;
        int failures;  // calls of the failure handler
    } cases[] = {
        {"returns normally", [] { return 7; }, 7, 0},
        {"memory runs out", []() -> int { throw std::bad_alloc(); }, -1, 1},
        {"a standard exception", []() -> int { throw std::runtime_error("boom"); }, -1, 1},
        {"something that is no exception class", []() -> int { throw 42; }, -1, 1},
    };
    for (const auto& c : cases) {
        int failures = 0;
        EXPECT_EQ(RunGuarded(c.work, [&] { ++failures; }, -1), c.result) << c.what;
        EXPECT_EQ(failures, c.failures) << c.what;
    }
}

TEST(RunGuarded, AFailureHandlerThatThrowsStillEndsWithTheFailedResult) {
    bool handlerRan = false;
    const int result = RunGuarded([]() -> int { throw std::bad_alloc(); },
                                  [&] {
                                      handlerRan = true;
                                      throw std::bad_alloc();
                                  },
                                  1);
    EXPECT_TRUE(handlerRan);
    EXPECT_EQ(result, 1);
}

}  // namespace
