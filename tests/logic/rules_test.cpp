// The rules engine: placement test with flipping, legal-move queries, counts.
#include <gtest/gtest.h>

#include "fixture.h"
#include "state/mdl.h"

namespace {

struct Rules : ::testing::Test, GameFixture {
    void SetUp() override {
        mdl_shokika(g);  // the start position
        f().main_Timer.set_enabled(false);
        h().Teban = 1;
    }
};

TEST(CellIndex, ConversionsTakeNumbersAndTheirText) {
    const struct { int index; int x, y; } cases[] = {{0, 0, 0}, {7, 7, 0}, {8, 0, 1}, {63, 7, 7}, {28, 4, 3}};
    for (auto c : cases) {
        EXPECT_EQ(mdl_indexTox(c.index), c.x);
        EXPECT_EQ(mdl_indexToy(c.index), c.y);
        EXPECT_EQ(mdl_indexTox(std::to_string(c.index)), c.x);
        EXPECT_EQ(mdl_indexToy(std::to_string(c.index)), c.y);
        EXPECT_EQ(mdl_xyToindex(c.x, c.y), c.index);
    }
    EXPECT_EQ(mdl_indexTox(64), 0);
    EXPECT_EQ(mdl_indexToy(-1), 0);
}

TEST_F(Rules, LegalMoveTurnsRecordsAndArmsPhaseFive) {
    mdl_CHG_Ishi(g, 20);  // (4, 2) over (4, 3)
    EXPECT_EQ(h().Ban(4, 3), 1);
    EXPECT_EQ(h().Ban(4, 2), 0) << "the stone itself is put by the next phase";
    EXPECT_EQ(h().Last_X, 4);
    EXPECT_EQ(h().Last_Y, 2);
    EXPECT_EQ(h().Okenai_Flg, 0);
    EXPECT_EQ(h().Kaeshita_Flg, 1);
    EXPECT_EQ(f().main_Timer.tag, "5");
    EXPECT_TRUE(f().main_Timer.enabled());
    EXPECT_FALSE(app.message_box());
}

TEST_F(Rules, RefusedMovesShowTheBoxAndChangeNothing) {
    const struct { const char* what; int index; int okenai; } cases[] = {
        {"occupied", 27, 1}, {"isolated", 0, 0}, {"own stone next to it", 19, 0}};
    for (auto c : cases) {
        SCOPED_TRACE(c.what);
        BoardTable before = h().Ban;
        h().Last_X = 6;
        mdl_CHG_Ishi(g, c.index);
        EXPECT_EQ(h().Ban, before);
        EXPECT_EQ(h().Okenai_Flg, c.okenai);
        EXPECT_EQ(h().Kaeshita_Flg, 0);
        EXPECT_EQ(h().Last_X, 6);
        EXPECT_FALSE(f().main_Timer.enabled());
        ASSERT_TRUE(app.message_box());
        EXPECT_EQ(app.message_box()->text, "そこは置けません！");
        EXPECT_EQ(app.message_box()->style, 48);
        EXPECT_EQ(app.message_box()->title, "ぽてんなパタパタ！");
        app.close_message_box();
    }
}

// Black at (2, 2) closes a line on each of the eight rays.
const std::vector<std::string> kStar = {
    "B.B.B...", ".WWW....", "BW.WB...", ".WWW....", "B.B.B...", ".....W..", "........", ".WWWWWWW"};

TEST_F(Rules, OneMoveTurnsEveryClosedRayAndNothingElse) {
    set_board(kStar);
    EXPECT_EQ(count_turns(h(), 2, 2), 8);
    mdl_CHG_Ishi(g, 18);
    ASSERT_FALSE(app.message_box());
    for (auto [x, y] : {std::pair{1, 1}, {2, 1}, {3, 1}, {1, 2}, {3, 2}, {1, 3}, {2, 3}, {3, 3}})
        EXPECT_EQ(h().Ban(x, y), 1) << x << "," << y;
    EXPECT_EQ(h().Ban(5, 5), 2) << "stones on other lines stay";
    EXPECT_EQ(h().Ban(2, 2), 0);
    EXPECT_TRUE(no_marks());
}

TEST_F(Rules, ALineRunningToTheEdgeCapturesNothing) {
    set_board(kStar);
    BoardTable before = h().Ban;
    mdl_CHG_Ishi(g, 56);  // (0, 7): white all the way to the right edge
    ASSERT_TRUE(app.message_box());
    EXPECT_EQ(h().Ban, before);
    EXPECT_EQ(count_turns(h(), 0, 7), 0);
    EXPECT_EQ(mdl_okeruXY(h(), 0, 7), 0);
}

TEST_F(Rules, ACornerTurnsAlongItsThreeRays) {
    set_board({"........", "........", "........", "........", "........", ".....B.B", "......WW", ".....BW."});
    mdl_CHG_Ishi(g, 63);
    ASSERT_FALSE(app.message_box());
    EXPECT_EQ(h().Ban(6, 7), 1);
    EXPECT_EQ(h().Ban(7, 6), 1);
    EXPECT_EQ(h().Ban(6, 6), 1);
}

TEST_F(Rules, QueriesOnTheStartPosition) {
    const struct { int teban; std::vector<int> legal; } cases[] = {{1, {20, 29, 34, 43}}, {2, {19, 26, 37, 44}}};
    for (const auto& c : cases) {
        h().Teban = int16_t(c.teban);
        EXPECT_EQ(mdl_okeruKazu(h()), 4);
        EXPECT_EQ(mdl_okeruAri(h()), 1);
        for (int i = 0; i < 64; ++i) {
            bool want = std::find(c.legal.begin(), c.legal.end(), i) != c.legal.end();
            EXPECT_EQ(mdl_okeruXY(h(), i % 8, i / 8), want ? 1 : 0) << i;
        }
    }
    mdl_IshiKazu(h());
    EXPECT_EQ(h().Kuro_Kazu, 2);
    EXPECT_EQ(h().Siro_Kazu, 2);
}

TEST_F(Rules, ACellCapturingOnSeveralRaysCountsOnce) {
    set_board(kStar);
    int by_cell = 0;
    for (int i = 0; i < 64; ++i) by_cell += count_turns(h(), i % 8, i / 8) > 0;
    EXPECT_EQ(mdl_okeruKazu(h()), by_cell);
    EXPECT_EQ(mdl_okeruXY(h(), 2, 2), 1);
}

TEST_F(Rules, NoMoveOnAFullOrOneSidedBoard) {
    h().Ban.cells.fill(1);
    mdl_IshiKazu(h());
    EXPECT_EQ(h().Kuro_Kazu, 64);
    for (int16_t teban : {1, 2}) {
        h().Teban = teban;
        EXPECT_EQ(mdl_okeruAri(h()), 0);
        EXPECT_EQ(mdl_okeruKazu(h()), 0);
    }
    h().Ban = BoardTable{};
    h().Ban(0, 0) = 2;
    h().Ban(1, 1) = 2;
    h().Teban = 1;
    EXPECT_EQ(mdl_okeruAri(h()), 0);
    mdl_IshiKazu(h());
    EXPECT_EQ(h().Siro_Kazu + h().Kuro_Kazu, 2);
}

// A whole game through the rules alone: each side plays its first legal
// cell, passes when it has none; the game ends when neither can move.
TEST_F(Rules, AWholeGameByCellIndexes) {
    int moves = 0, passes_in_a_row = 0;
    h().Teban = 1;
    while (passes_in_a_row < 2) {
        if (mdl_okeruAri(h()) == 0) {
            ++passes_in_a_row;
            h().Teban = other_colour(h().Teban);
            continue;
        }
        passes_in_a_row = 0;
        int cell = -1;
        for (int i = 0; i < 64 && cell < 0; ++i)
            if (mdl_okeruXY(h(), i % 8, i / 8)) cell = i;
        ASSERT_GE(cell, 0);
        mdl_IshiKazu(h());
        const int before = h().Kuro_Kazu + h().Siro_Kazu;
        f().main_Timer.set_enabled(false);
        mdl_CHG_Ishi(g, cell);
        ASSERT_FALSE(app.message_box());
        h().Ban(cell % 8, cell / 8) = h().Teban;
        ASSERT_TRUE(no_marks());
        mdl_IshiKazu(h());
        ASSERT_EQ(h().Kuro_Kazu + h().Siro_Kazu, before + 1);
        h().Teban = other_colour(h().Teban);
        ++moves;
        ASSERT_LE(moves, 60);
    }
    mdl_IshiKazu(h());
    EXPECT_EQ(h().Kuro_Kazu + h().Siro_Kazu, 4 + moves);
    for (int16_t side : {1, 2}) {
        h().Teban = side;
        EXPECT_EQ(mdl_okeruAri(h()), 0);
    }
}

TEST(OtherColour, OfOneIsTwoOfAnythingElseOne) {
    EXPECT_EQ(other_colour(1), 2);
    EXPECT_EQ(other_colour(2), 1);
    EXPECT_EQ(other_colour(0), 1);
    EXPECT_EQ(other_colour(3), 1);
}

}  // namespace
