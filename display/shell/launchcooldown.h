// How often "Vidizizu" may start the annotation program: once, then not
// again until six seconds have passed without a press. Each press while
// launching is blocked starts the six seconds anew, so a presenter pressing
// while the program comes up never gets a second copy.
#pragma once

#include <chrono>
#include <optional>

namespace mirovex {

class LaunchCooldown {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kPause{6};

    // A press at `now`: true when it may launch.
    bool press(Clock::time_point now)
    {
        const bool allowed = !blockedUntil_ || now >= *blockedUntil_;
        blockedUntil_ = now + kPause;
        return allowed;
    }

private:
    std::optional<Clock::time_point> blockedUntil_;
};

} // namespace mirovex
