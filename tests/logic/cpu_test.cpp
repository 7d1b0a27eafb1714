// The CPU opponent: each step of the scoring on hand-made positions, the scan
// with scripted and seeded draws, the fallback when the scan finds nothing,
// and the move through the game window.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "cpu/mdl_CPU.h"
#include "fixture.h"
#include "state/mdl.h"

namespace {

using Rows = std::array<const char*, 8>;

// '.' empty, 'B' black, 'W' white. The CPU plays teban against the other colour.
Hensu position(const Rows& rows, int16_t teban, int16_t chara = 0) {
    Hensu h;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const char c = rows[size_t(y)][x];
            h.Ban(x, y) = c == 'B' ? kBlack : c == 'W' ? kWhite : kEmpty;
        }
    h.Teban = teban;
    h.User_Iro = other_colour(teban);
    h.chara_No = chara;
    mdl_IshiKazu(h);
    return h;
}

constexpr Rows kStart = {"........", "........", "........", "...BW...",
                         "...WB...", "........", "........", "........"};

// Replays fixed rnd values and counts how many were asked for.
class RndScript : public ui::Random {
public:
    explicit RndScript(std::vector<double> values) : values_(std::move(values)) {}
    double rnd() override {
        if (used_ >= values_.size()) {
            ADD_FAILURE() << "more draws than scripted";
            return 0.0;
        }
        return values_[used_++];
    }
    size_t used() const { return used_; }

private:
    std::vector<double> values_;
    size_t used_ = 0;
};

// rnd values that make draw(2) come out 1 (take the cell) or 2 (keep the old one).
constexpr double kTake = 0.2, kKeep = 0.7;

BoardTable scores(const std::map<int, int16_t>& cells) {
    BoardTable t;
    for (auto [i, s] : cells) t.cells[size_t(i)] = s;
    return t;
}

void first_steps(Hensu& h) {
    mdl_CPU_kaesuKazu(h);
    mdl_CPU_kihonTen(h);
}

// ---------------------------------------------------------------- the steps

TEST(CpuSteps, TurnCountSumsEveryRay) {
    Hensu h = position({".WWB....", "WW......", "B.W.....", "...B....", "........", "........",
                        "........", "........"},
                       kBlack);
    mdl_CPU_kaesuKazu(h);
    EXPECT_EQ(h.CPU_Ten(0, 0), 5);  // 2 along the row, 1 down the column, 2 on the diagonal
    EXPECT_EQ(h.CPU_Ten(1, 0), 0);  // occupied
    EXPECT_EQ(h.CPU_Ten(7, 7), 0);  // empty but closes nothing
}

TEST(CpuSteps, EachStepTouchesOnlyCellsStillWorthPlaying) {
    struct Case {
        const char* step_name;
        void (*step)(Hensu&);
        int cell;
        int16_t before, after;
    };
    const Case cases[] = {
        {"kihonTen", mdl_CPU_kihonTen, 20, 5, 905},   {"kihonTen", mdl_CPU_kihonTen, 20, 0, 0},
        {"kihonTen", mdl_CPU_kihonTen, 20, -4, -4},   {"kado", mdl_CPU_kado, 0, 1, 201},
        {"kado", mdl_CPU_kado, 63, 905, 1105},        {"kado", mdl_CPU_kado, 56, 0, 0},
        {"kado", mdl_CPU_kado, 7, -30, -30},          {"kado", mdl_CPU_kado, 20, 905, 905},
        {"Xmasu", mdl_CPU_Xmasu, 9, 800, 650},        {"Xmasu", mdl_CPU_Xmasu, 54, -1, -1},
        {"Xmasu", mdl_CPU_Xmasu, 10, 800, 800},       {"Xmasu2", mdl_CPU_Xmasu2, 49, 800, 795},
        {"Xmasu2", mdl_CPU_Xmasu2, 14, 0, 0},         {"Cmasu", mdl_CPU_Cmasu, 62, 800, 793},
        {"Cmasu", mdl_CPU_Cmasu, 8, 1, -6},           {"Cmasu", mdl_CPU_Cmasu, 57, -7, -7},
        {"Cmasu", mdl_CPU_Cmasu, 9, 800, 800},        {"hen", mdl_CPU_hen, 3, 1000, 980},
        {"hen", mdl_CPU_hen, 3, -5, -5},              {"hen", mdl_CPU_hen, 20, 1000, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.step_name) + " cell " + std::to_string(c.cell) + " from " +
                     std::to_string(c.before));
        Hensu h;  // empty board: every corner open
        h.Teban = kBlack;
        h.User_Iro = kWhite;
        h.CPU_Ten.cells[size_t(c.cell)] = c.before;
        c.step(h);
        EXPECT_EQ(h.CPU_Ten, scores({{c.cell, c.after}}));
    }
}

TEST(CpuPipeline, XSquareWeightsPerCharacter) {
    // Black's X-square (1, 1) turns one stone. With the corner open, the
    // look-ahead sees white's single reply, the corner: 5 + 200.
    constexpr Rows kOpen = {"........", "........", "..W.....", "...B....",
                            "....W...", "........", "........", "........"};
    constexpr Rows kTaken = {"W.......", "........", "..W.....", "...B....",
                             "....W...", "........", "........", "........"};
    struct Case {
        int16_t chara;
        bool corner_taken;
        int16_t fixed_weight, look_ahead;
    };
    const Case cases[] = {
        {0, false, 900, 0}, {1, false, 750, 205}, {2, false, 745, 205}, {3, false, 900, 0},
        {0, true, 900, 0},  {1, true, 900, 0},    {2, true, 895, 0},    {3, true, 900, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("chara " + std::to_string(c.chara) + (c.corner_taken ? " corner taken" : ""));
        Hensu h = position(c.corner_taken ? kTaken : kOpen, kBlack, c.chara);
        ui::SeededRandom r(1);
        mdl_CPU_choose(h, r);
        EXPECT_EQ(h.CPU_Ten(1, 1), c.fixed_weight + 1 - c.look_ahead);
    }
}

TEST(CpuPipeline, CharactersOutsideOneAndTwoPlayAsCharacterZero) {
    const Rows boards[] = {
        kStart,
        {"........", "......B.", ".....BB.", "...BBB..", "..BBBW..", "WWWB....", ".W......", "........"},
        {"...WWW..", "....W.B.", "....BB..", "...BB...", ".BBBBB..", "..BBB.B.", ".B......", "........"},
    };
    for (const Rows& rows : boards) {
        for (int16_t teban : {kBlack, kWhite}) {
            Hensu zero = position(rows, teban, 0);
            ui::SeededRandom r0(7);
            const int expected = mdl_CPU_choose(zero, r0);
            for (int16_t chara : {int16_t(3), int16_t(-1), int16_t(9)}) {
                SCOPED_TRACE("chara " + std::to_string(chara));
                Hensu h = position(rows, teban, chara);
                ui::SeededRandom r(7);
                EXPECT_EQ(mdl_CPU_choose(h, r), expected);
                EXPECT_EQ(h.CPU_Ten, zero.CPU_Ten);
            }
        }
    }
}

// ---------------------------------------------------------------- look-ahead

TEST(CpuLookAhead, RepliesAndCornersGivenAway) {
    // White at (1, 4) turns 3; black then has 6 replies, the corner (0, 7) among them.
    Hensu h = position({"........", "......B.", ".....BB.", "...BBB..", "..BBBW..", "WWWB....",
                        ".W......", "........"},
                       kWhite, 1);
    const BoardTable before = h.Ban;
    first_steps(h);
    ASSERT_EQ(h.CPU_Ten(1, 4), 903);
    mdl_CPU_sakiyomi(h);
    EXPECT_EQ(h.Aite_Tesu(1, 4), 6);
    EXPECT_EQ(h.Aite_Kado(1, 4), 1);
    EXPECT_EQ(h.CPU_Ten(1, 4), 673);
    EXPECT_EQ(h.Ban, before);
    EXPECT_EQ(h.Teban, kWhite);

    // A cell already scored out of play is left where it is.
    for (int16_t low : {int16_t(0), int16_t(-3)}) {
        first_steps(h);
        h.CPU_Ten(1, 4) = low;
        mdl_CPU_sakiyomi(h);
        EXPECT_EQ(h.CPU_Ten(1, 4), low);
    }
}

TEST(CpuLookAhead, TablesAgreeWithReplayingEachMove) {
    const Rows boards[] = {
        kStart,
        {"........", "......B.", ".....BB.", "...BBB..", "..BBBW..", "WWWB....", ".W......", "........"},
        {"WWWWWWB.", "WBBBBW..", "WBWWBBW.", "WBBWWB..", "WWBWBBBW", "WWWBBW..", "W.WBB...", "...B...."},
    };
    for (const Rows& rows : boards) {
        for (int16_t c : {kBlack, kWhite}) {
            Hensu h = position(rows, c, 1);
            const Hensu start = h;
            first_steps(h);
            mdl_CPU_sakiyomi(h);
            for (int i = 0; i < 64; ++i) {
                SCOPED_TRACE("colour " + std::to_string(c) + " cell " + std::to_string(i));
                Hensu t = start;
                const int x = i % 8, y = i / 8;
                if (count_turns(t, x, y) == 0) {
                    EXPECT_EQ(h.Aite_Tesu(x, y), 0);
                    EXPECT_EQ(h.Aite_Kado(x, y), 0);
                    continue;
                }
                walk_rays_and_turn(t, x, y);
                t.Ban(x, y) = c;
                t.Teban = other_colour(c);
                int replies = 0, corners = 0;
                for (int j = 0; j < 64; ++j) {
                    if (count_turns(t, j % 8, j / 8) == 0) continue;
                    ++replies;
                    if (j == 0 || j == 7 || j == 56 || j == 63) ++corners;
                }
                EXPECT_EQ(h.Aite_Tesu(x, y), replies);
                EXPECT_EQ(h.Aite_Kado(x, y), corners);
            }
        }
    }
}

TEST(CpuLookAhead, SqueezeOnlyBelowThirtyFiveStones) {
    // White at (4, 2) leaves black one reply and opens the corner (7, 0) to white.
    const Rows rows = {"........", "......B.", "..W..B..", "...WBW..",
                       "...BWB..", "..B...B.", "........", "........"};
    struct Case {
        int16_t kuro, siro, own_corner, score;
    };
    // The counts are taken as given: the board itself holds 11 stones.
    const Case cases[] = {{20, 14, 1, 1096}, {20, 15, 0, 896}, {35, 0, 0, 896}, {6, 5, 1, 1096}};
    for (const Case& c : cases) {
        SCOPED_TRACE("stones " + std::to_string(c.kuro + c.siro));
        Hensu h = position(rows, kWhite, 1);
        first_steps(h);
        h.Kuro_Kazu = c.kuro;
        h.Siro_Kazu = c.siro;
        mdl_CPU_sakiyomi(h);
        EXPECT_EQ(h.Aite_Tesu(4, 2), 1);
        EXPECT_EQ(h.Jibun_Kado(4, 2), c.own_corner);
        EXPECT_EQ(h.CPU_Ten(4, 2), c.score);
        EXPECT_EQ(h.Kuro_Kazu, c.kuro);
        EXPECT_EQ(h.Siro_Kazu, c.siro);
    }
}

TEST(CpuLookAhead, CSquareDangerWhenTheXSquareEndsUpOurs) {
    struct Case {
        const char* what;
        Rows rows;
        int x, y;
        int16_t danger, score;
    };
    // Black plays the C-square; the cases alternate so a flag left over from
    // the call before would show.
    const Case cases[] = {
        {"turns the X-square", {"........", ".W......", ".B......", "........", "........", "........", "........", "........"}, 1, 0, 1, 701},
        {"X-square empty", {"..WB....", "........", "........", "........", "........", "........", "........", "........"}, 1, 0, 0, 901},
        {"X-square already ours", {"..WB....", ".B......", "........", "........", "........", "........", "........", "........"}, 1, 0, 1, 701},
        {"X-square stays white", {"..WB....", ".W......", "........", "........", "........", "........", "........", "........"}, 1, 0, 0, 901},
        {"bottom edge, turns the X-square", {"........", "........", "........", "........", "........", "......B.", "......W.", "........"}, 6, 7, 1, 701},
        {"corner taken", {"W.WB....", ".W......", ".B......", "........", "........", "........", "........", "........"}, 1, 0, 0, 892},
        {"right edge, turns the X-square", {"........", ".....BW.", "........", "........", "........", "........", "........", "........"}, 7, 1, 1, 701},
        {"not a C-square", {"........", "........", ".W......", ".B......", "........", "........", "........", "........"}, 1, 1, 0, 901},
    };
    Hensu h;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Hensu fresh = position(c.rows, kBlack, 1);
        h.Ban = fresh.Ban;
        h.Teban = kBlack;
        h.Kuro_Kazu = fresh.Kuro_Kazu;
        h.Siro_Kazu = fresh.Siro_Kazu;
        first_steps(h);
        mdl_CPU_sakiyomi(h);
        EXPECT_EQ(h.Kiken_Masu(c.x, c.y), c.danger);
        EXPECT_EQ(h.CPU_Ten(c.x, c.y), c.score);
        EXPECT_EQ(h.Ban, fresh.Ban);
    }
}

TEST(CpuLookAhead, TrialPlacementTurnsWithoutPlacing) {
    struct Case {
        const char* what;
        Rows rows;
        int index;
        int result;
        int16_t okenai;
        std::map<int, int16_t> changed;  // cells that differ afterwards
    };
    // A walk from the occupied corner would close the row; it must not start.
    constexpr Rows kOccupied = {"WWB.....", "........", "........", "........",
                                "........", "........", "........", "........"};
    const Case cases[] = {
        {"legal", kStart, 20, 0, 0, {{28, kBlack}}},
        {"occupied", kOccupied, 0, 1, 1, {}},
        {"empty, closes nothing", kStart, 0, 1, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Hensu h = position(c.rows, kBlack);
        BoardTable expected = h.Ban;
        for (auto [i, v] : c.changed) expected.cells[size_t(i)] = v;
        EXPECT_EQ(mdl_CPU_CHG_Ishi(h, c.index), c.result);
        EXPECT_EQ(h.Okenai_Flg, c.okenai);
        EXPECT_EQ(h.Ban, expected);
    }
}

// ---------------------------------------------------------------- edges

TEST(CpuEdges, PatternsAlongEachEdge) {
    enum Edge { Top, Bottom, Left, Right };
    struct Case {
        Edge edge;
        int k;
        const char* line;  // the edge from position 0 to 7; position k empty
        int16_t teban;
        int16_t delta;
    };
    const Case cases[] = {
        {Top, 3, ".BW..B..", kBlack, -40},     // gap then own stone; closed white run on the left
        {Bottom, 3, ".BW..B..", kBlack, -60},  // the closed run on the left counts only on the top
        {Left, 3, ".BW..B..", kBlack, -60},
        {Right, 3, "..W.W...", kBlack, 20},    // between two white stones
        {Top, 3, "..W.W...", kBlack, 0},
        {Left, 4, "...W.WB.", kBlack, 0},      // the pair rule ends the section
        {Top, 3, "...WWB..", kBlack, -10},     // white run closed by black on the right
        {Top, 3, "...WWWWW", kBlack, -30},     // white run to the corner
        {Top, 3, "...WW.B.", kBlack, -30},     // white run open at its end
        {Top, 2, "WW......", kBlack, -30},     // white run to the corner on the left
        {Left, 4, "..B.....", kBlack, -70},    // gap then own stone on the left
        {Top, 1, "...B....", kBlack, -70},     // gap then own stone on the right
        {Top, 6, ".....B.W", kBlack, -30},
        {Right, 5, "...W...W", kWhite, -120},  // white to move: both gaps lead to white
        {Top, 3, "WBB.....", kWhite, 10},      // black run closed by white on the left
        {Bottom, 3, "WBB.....", kWhite, -10},
    };
    auto cell = [](Edge e, int m) {
        switch (e) {
            case Top: return m;
            case Bottom: return 56 + m;
            case Left: return 8 * m;
            case Right: return 7 + 8 * m;
        }
        return m;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("edge ") + std::to_string(c.edge) + " k " + std::to_string(c.k) +
                     " " + c.line);
        Hensu h;
        h.Teban = c.teban;
        h.User_Iro = other_colour(c.teban);
        for (int m = 0; m < 8; ++m)
            h.Ban.cells[size_t(cell(c.edge, m))] =
                c.line[m] == 'B' ? kBlack : c.line[m] == 'W' ? kWhite : kEmpty;
        h.CPU_Ten.cells[size_t(cell(c.edge, c.k))] = 1000;
        mdl_CPU_hen(h);
        EXPECT_EQ(h.CPU_Ten, scores({{cell(c.edge, c.k), int16_t(1000 + c.delta)}}));
    }
}

// ---------------------------------------------------------------- the choice

TEST(CpuChoice, ScanWithScriptedDraws) {
    struct Case {
        const char* what;
        std::map<int, int16_t> ten;
        std::vector<double> script;
        int chosen;
    };
    const std::vector<double> nine_takes(9, kTake), nine_keeps(9, kKeep);
    const Case cases[] = {
        {"equal, keep", {{20, 950}, {30, 950}}, {kKeep}, 20},
        {"equal, take", {{20, 950}, {30, 950}}, {kTake}, 30},
        {"later by 4", {{20, 950}, {30, 954}}, {}, 30},
        {"earlier by 4", {{20, 954}, {30, 950}}, {}, 20},
        {"earlier by 3, take", {{20, 953}, {30, 950}}, {kTake}, 30},
        {"nothing to play", {}, {}, -1},
        // Each 0 between the 3 and the 7 is a toss; the 7 then wins outright.
        {"3 then 7, takes", {{10, 3}, {20, 7}}, nine_takes, 20},
        {"3 then 7, keeps", {{10, 3}, {20, 7}}, nine_keeps, 20},
        // The plain scan's fault: the 3 is lost to the zeros after it.
        {"lone 3", {{10, 3}}, std::vector<double>(53, kTake), -1},
        {"lone 3, keeps", {{10, 3}}, std::vector<double>(53, kKeep), 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Hensu h;
        h.CPU_Ten = scores(c.ten);
        RndScript r(c.script);
        EXPECT_EQ(choice_scan(h, r), c.chosen);
        EXPECT_EQ(r.used(), c.script.size());
    }
}

TEST(CpuChoice, ScanFrequenciesOverSeededDraws) {
    struct Case {
        std::vector<std::pair<int, int16_t>> ten;
        std::map<int, double> expected;  // cell -> share of the choices
    };
    const Case cases[] = {
        {{{20, 950}, {30, 950}}, {{20, 0.5}, {30, 0.5}}},
        {{{20, 950}, {30, 950}, {40, 950}}, {{20, 0.25}, {30, 0.25}, {40, 0.5}}},
        {{{20, 950}, {30, 954}}, {{30, 1.0}}},
        {{{20, 954}, {30, 950}}, {{20, 1.0}}},
        {{{20, 953}, {30, 950}}, {{20, 0.5}, {30, 0.5}}},
        {{{20, 950}, {30, 953}, {40, 956}}, {{20, 0.0}, {30, 0.25}, {40, 0.75}}},
        {{{10, 3}, {20, 7}}, {{20, 1.0}}},
    };
    constexpr int kRuns = 20000;
    ui::SeededRandom r(2024);
    for (const Case& c : cases) {
        Hensu h;
        BoardTable turns;
        std::string label;
        for (auto [i, s] : c.ten) {
            h.CPU_Ten.cells[size_t(i)] = s;
            turns.cells[size_t(i)] = 1;
            label += std::to_string(i) + ":" + std::to_string(s) + " ";
        }
        SCOPED_TRACE(label);
        std::map<int, int> counts;
        for (int run = 0; run < kRuns; ++run) ++counts[settle_choice(h, turns, choice_scan(h, r))];
        int accounted = 0;
        for (auto [cell, share] : c.expected) {
            EXPECT_NEAR(double(counts[cell]) / kRuns, share, 0.02) << "cell " << cell;
            accounted += counts[cell];
        }
        EXPECT_EQ(accounted, kRuns);
    }
}

TEST(CpuChoice, PlaysALegalCellWhenTheScanFindsNone) {
    struct Case {
        const char* what;
        std::map<int, int16_t> ten;  // legal cells and their final scores
        std::vector<double> script;
        int chosen;
    };
    const Case cases[] = {
        {"only move scores far below 0", {{10, -50}}, {}, 10},
        {"only move scores just below 0", {{10, -2}}, {}, 10},
        {"scan lands on an occupied cell", {{10, 3}}, std::vector<double>(53, kTake), 10},
        {"scan's own legal pick is kept", {{10, 5}, {40, 3}}, {kTake}, 40},
        {"highest of the negatives", {{10, -50}, {12, -50}, {40, -10}}, {}, 40},
        {"first among equals", {{10, -50}, {12, -50}}, {}, 10},
        {"no legal move", {}, {}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Hensu h;
        h.CPU_Ten = scores(c.ten);
        BoardTable turns;
        for (auto [i, s] : c.ten) turns.cells[size_t(i)] = 1;
        RndScript r(c.script);
        EXPECT_EQ(settle_choice(h, turns, choice_scan(h, r)), c.chosen);
        EXPECT_EQ(r.used(), c.script.size());
    }
}

TEST(CpuChoice, StartPositionFrequencies) {
    Hensu h = position(kStart, kBlack, 0);
    const BoardTable board = h.Ban;
    constexpr int kRuns = 16000;
    ui::SeededRandom r(99);
    std::map<int, int> counts;
    for (int run = 0; run < kRuns; ++run) {
        ++counts[mdl_CPU_choose(h, r)];
        ASSERT_EQ(h.Ban, board);
        ASSERT_EQ(h.Teban, kBlack);
    }
    // Four equal scores in cell order: each later cell wins its toss half the time.
    const std::map<int, double> expected = {{20, 0.125}, {29, 0.125}, {34, 0.25}, {43, 0.5}};
    int accounted = 0;
    for (auto [cell, share] : expected) {
        EXPECT_NEAR(double(counts[cell]) / kRuns, share, 0.02) << "cell " << cell;
        accounted += counts[cell];
    }
    EXPECT_EQ(accounted, kRuns);
}

// ---------------------------------------------------------------- the move

TEST(CpuMove, PlaysThroughThePlacementTest) {
    GameFixture fx;
    fx.set_board({kStart.begin(), kStart.end()});
    fx.h().Teban = kBlack;
    fx.h().User_Iro = kWhite;
    fx.h().Pass_Kazu = 1;
    mdl_IshiKazu(fx.h());
    mdl_CPU_utsu(fx.g);
    EXPECT_EQ(fx.h().Pass_Kazu, 0);
    EXPECT_EQ(fx.f().main_Timer.tag, "5");
    const int played = mdl_xyToindex(fx.h().Last_X, fx.h().Last_Y);
    EXPECT_TRUE(played == 20 || played == 29 || played == 34 || played == 43) << played;
    mdl_IshiKazu(fx.h());
    EXPECT_EQ(fx.h().Kuro_Kazu, 3);  // one turned; the stone itself goes down later
    EXPECT_TRUE(fx.no_marks());
    EXPECT_FALSE(fx.app.message_box().has_value());
}

TEST(CpuMove, PassesWithNoLegalMove) {
    GameFixture fx;
    fx.set_board({"BBB.....", "........", "........", "........", "........", "........",
                  "........", "........"});
    fx.h().Teban = kWhite;
    fx.h().User_Iro = kBlack;
    const BoardTable board = fx.h().Ban;
    mdl_CPU_utsu(fx.g);
    EXPECT_EQ(fx.h().Teban, kBlack);  // the turn goes to the user
    EXPECT_EQ(fx.h().Ban, board);
    EXPECT_FALSE(fx.app.message_box().has_value());
}

}  // namespace
