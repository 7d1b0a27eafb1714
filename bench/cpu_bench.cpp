// Time of one CPU choice per character on an opening, a middle game and an
// end game position, black to move.
#include <benchmark/benchmark.h>

#include <array>

#include "cpu/mdl_CPU.h"
#include "state/mdl.h"

namespace {

using Rows = std::array<const char*, 8>;

constexpr Rows kPositions[3] = {
    // Opening, 6 stones played: 5 legal moves.
    {"........", "........", "........", "...BW...", ".WWWW...", "..WBW...", "....B...", "........"},
    // Middle game, 30 played: 13 legal moves.
    {"........", "....W...", "..BWW...", ".WWBWWW.", ".WBWBWW.", ".BBWWBWW", "..BBWWB.", "..WWWWWB"},
    // End game, 50 played: 7 legal moves.
    {".W...W..", "..WWWW..", ".BWWWWWB", "BBBBBWBB", "BBBWBBWB", "BBBWWWWB", "BBWBWWWB", "BBBBBBBB"},
};
constexpr const char* kPositionNames[3] = {"opening", "middle", "end"};

Hensu setup(int position, int chara) {
    Hensu h;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const char c = kPositions[position][size_t(y)][x];
            h.Ban(x, y) = c == 'B' ? kBlack : c == 'W' ? kWhite : kEmpty;
        }
    h.Teban = kBlack;
    h.User_Iro = kWhite;
    h.chara_No = int16_t(chara);
    mdl_IshiKazu(h);
    return h;
}

void BM_CpuChoose(benchmark::State& state) {
    const int chara = int(state.range(0));
    const int position = int(state.range(1));
    Hensu h = setup(position, chara);
    ui::SeededRandom random(1);
    for (auto _ : state) {
        // The choice leaves Ban and Teban as they were, so every call sees the same position.
        benchmark::DoNotOptimize(mdl_CPU_choose(h, random));
    }
    state.SetLabel(std::string("chara ") + std::to_string(chara) + ", " + kPositionNames[position]);
}

BENCHMARK(BM_CpuChoose)->ArgsProduct({{0, 1, 2}, {0, 1, 2}})->ArgNames({"chara", "position"});

}  // namespace

BENCHMARK_MAIN();
