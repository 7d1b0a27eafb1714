// Whole games of every character against every character, through the rules
// engine alone: the CPU never breaks the board, never plays an illegal cell
// and passes only when it has to.
#include <gtest/gtest.h>

#include <string>

#include "cpu/mdl_CPU.h"
#include "state/mdl.h"

namespace {

void opening(Hensu& h) {
    h.Ban = {};
    h.Ban(3, 3) = kBlack;
    h.Ban(4, 4) = kBlack;
    h.Ban(4, 3) = kWhite;
    h.Ban(3, 4) = kWhite;
}

int stones(const Hensu& h) {
    int n = 0;
    for (int16_t c : h.Ban.cells) n += c != kEmpty;
    return n;
}

struct Result {
    int moves = 0;
    int black = 0, white = 0;
};

// Plays one game, black first; asserts along the way.
Result play(int16_t black_chara, int16_t white_chara, uint64_t seed) {
    Hensu h;
    opening(h);
    ui::SeededRandom random(seed);
    Result result;
    int16_t mover = kBlack;
    int passes = 0;
    while (passes < 2 && stones(h) < 64) {
        h.Teban = mover;
        h.User_Iro = other_colour(mover);
        h.chara_No = mover == kBlack ? black_chara : white_chara;
        mdl_IshiKazu(h);
        const BoardTable before = h.Ban;
        const int can_move = mdl_okeruKazu(h);

        const int index = mdl_CPU_choose(h, random);

        EXPECT_EQ(h.Ban, before);
        EXPECT_EQ(h.Teban, mover);
        if (index < 0) {
            EXPECT_EQ(can_move, 0) << "passed with a legal move, move " << result.moves;
            ++passes;
        } else {
            const int x = mdl_indexTox(index), y = mdl_indexToy(index);
            EXPECT_GT(count_turns(h, x, y), 0) << "cell " << index << ", move " << result.moves;
            if (count_turns(h, x, y) == 0) return result;
            walk_rays_and_turn(h, x, y);
            h.Ban(x, y) = mover;
            passes = 0;
            ++result.moves;
        }
        EXPECT_LE(result.moves, 60);
        if (result.moves > 60) return result;
        mover = other_colour(mover);
    }
    // Over: nobody can move any more.
    for (int16_t side : {kBlack, kWhite}) {
        h.Teban = side;
        EXPECT_EQ(mdl_okeruKazu(h), 0);
    }
    mdl_IshiKazu(h);
    for (int16_t c : h.Ban.cells) EXPECT_TRUE(c == kEmpty || c == kBlack || c == kWhite);
    EXPECT_EQ(h.Kuro_Kazu + h.Siro_Kazu, stones(h));
    EXPECT_EQ(stones(h), 4 + result.moves);
    result.black = h.Kuro_Kazu;
    result.white = h.Siro_Kazu;
    return result;
}

TEST(CpuGames, EveryPairingPlaysCleanGames) {
    constexpr int kSeeds = 40;
    for (int16_t black = 0; black <= 2; ++black) {
        for (int16_t white = 0; white <= 2; ++white) {
            for (uint64_t seed = 1; seed <= kSeeds; ++seed) {
                SCOPED_TRACE("black chara " + std::to_string(black) + ", white chara " +
                             std::to_string(white) + ", seed " + std::to_string(seed));
                const Result r = play(black, white, seed);
                EXPECT_GT(r.moves, 0);
                if (HasFailure()) return;
            }
        }
    }
}

}  // namespace
