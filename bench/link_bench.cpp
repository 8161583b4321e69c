// Link round trips to a running annotation program: how long each send
// waits for the acknowledgement, for a code the program ignores (the link
// alone) and for the toggle code (while the board comes and goes).
//   bench_link WINDOW [RUNS]   (an even RUNS leaves the board as it was)
#include "platform/link.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    namespace lnk = mirovex::platform::link;
    const auto window = argc > 1 ? lnk::parseWindowId(QString::fromLocal8Bit(argv[1])) : std::nullopt;
    const int runs = (argc > 2 ? std::max(1, std::atoi(argv[2]) / 2) : 10) * 2;
    if (!window) {
        std::fprintf(stderr, "usage: bench_link WINDOW [RUNS]\n");
        return 2;
    }
    for (const std::uint32_t code : {std::uint32_t(1), lnk::kToggle}) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        const auto r = lnk::send(*window, lnk::Role::AnnotationControl, lnk::Kind::Code, code);
        const auto t1 = std::chrono::steady_clock::now();
        if (r != lnk::SendResult::Acked) {
            std::fprintf(stderr, "bench_link: send %d was not acknowledged (%d)\n", i, int(r));
            return 1;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("send to acknowledgement, %s: median %.2f ms, max %.2f ms (%d sends)\n",
                code == lnk::kToggle ? "toggle code" : "ignored code", ms[ms.size() / 2], ms.back(), runs);
    }
    return 0;
}
