// A test clock installed through one of the module's clock seams for as long as the guard
// lives: the clock it replaced goes back however the test leaves, an ASSERT's early
// return included, so no later test runs under it.
#pragma once

#include <cstdint>

using TestClock = uint64_t (*)();

template <TestClock (*Install)(TestClock)>
class ScopedClock {
public:
    explicit ScopedClock(TestClock clock) : previous_(Install(clock)) {}
    ~ScopedClock() { Install(previous_); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

private:
    TestClock previous_;
};
