// The game data file: any bytes either load as a history whose derived tables
// agree with its draws, or are refused with a TLoadError message.
#include "FuzzSupport.h"
#include "TLottery.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using FuzzSupport::Check;
    const std::string path =
        FuzzSupport::WriteFile("game.csv", std::string_view(reinterpret_cast<const char*>(data), size));
    std::unique_ptr<TLottery> lottery;
    try {
        lottery = std::make_unique<TLottery>(path);
    } catch (const TLoadError& error) {
        Check(error.what()[0] != '\0', "a refusal carries a message");
        return 0;
    }
    Check(lottery->Loaded, "an existing file is loaded or refused");
    TLottery& l = *lottery;
    const int32_t n = l.Elements();
    const int32_t k = l.PerCombination();
    const double total = l.Converter->Total;
    Check(l.CSNs.size() == static_cast<size_t>(l.DrawCount) + 1, "one CSN per draw and the spare slot");
    Check(l.Presence.size() == static_cast<size_t>(n) + 1, "presence rows for ball values 0..n");

    // Every draw of distinct balls has a CSN in 1..Total whose combination is
    // that draw: all k of its balls are hits.
    const int32_t checked = std::min(l.DrawCount, 64);
    for (int32_t d = 0; d < checked; ++d) {
        std::set<int32_t> balls;
        for (int32_t j = 1; j <= k; ++j) balls.insert(l.Draws[static_cast<size_t>(j)][static_cast<size_t>(d)]);
        const double csn = l.CSNs[static_cast<size_t>(d)];
        if (static_cast<int32_t>(balls.size()) == k && k > 0) {
            Check(csn >= 1 && csn <= total, "a proper draw's CSN lies in 1..Total");
            if (total < 9007199254740992.0) {
                Check(l.HitsOfDraw(d, csn) == k, "a draw hits all of its own balls");
                Check(l.HitsOfDrawIn(d, l.BallSetOf(csn)) == k, "the cache-free hits agree");
            }
        } else {
            (void)l.HitsOfDraw(d, csn);
            (void)l.HitsOfDrawB(d, csn);
        }
        Check(l.CommonBallsOfDraws(d, d) == static_cast<int32_t>(balls.size()), "a draw shares its own balls");
        for (int32_t p = 0; p + 1 < k; ++p)
            Check(l.SortedDraws[static_cast<size_t>(p)][static_cast<size_t>(d)] <=
                      l.SortedDraws[static_cast<size_t>(p + 1)][static_cast<size_t>(d)],
                  "sorted draws ascend");
    }
    if (l.DrawCount > 0) {
        (void)l.CommonBalls(l.CSNs.front(), l.CSNs[static_cast<size_t>(l.DrawCount - 1)]);
        (void)l.CommonBalls(-1, total + 10);
        (void)l.BallSetOf(0);
        (void)l.BallSetOf(total * 2);
    }
    // The statistics of the positional window, on a sample cut to the
    // history, and a sliding count; bounded so that a large game stays quick.
    if (static_cast<int64_t>(n) * k * std::max(l.DrawCount, 1) <= 250'000) {
        l.ComputePositionStatistics(l.DrawCount);
        l.ComputePositionStatistics(l.DrawCount + 5);
        int64_t counted = 0;
        for (const auto& row : l.PositionCounts)
            for (const int32_t c : row) counted += c;
        Check(counted == static_cast<int64_t>(l.DrawCount) * k, "every ball of the sample counted once");
    }
    if (l.DrawCount > 0 && k > 0) {
        const int32_t window = std::max(1, l.DrawCount / 3);
        l.CountWindowHits(window, l.SortedDraws[0][0], 0);
        Check(l.WindowCount == l.DrawCount - window + 1, "one count per window");
        for (const int32_t hits : l.WindowHits) Check(hits >= 0 && hits <= window, "a window's count fits it");
    }
    return 0;
}
