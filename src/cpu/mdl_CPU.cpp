#include "cpu/mdl_CPU.h"

#include "state/mdl.h"

namespace {

constexpr int kCorners[4] = {0, 56, 7, 63};
// X-squares with their corners, in the same order.
constexpr int kXSquares[4] = {9, 49, 14, 54};
constexpr int kCSquares[8][2] = {{1, 0},   {6, 7},   {8, 0},   {15, 7},
                                 {48, 56}, {55, 63}, {57, 56}, {62, 63}};

// Adds d to a cell's score, only while the cell is still worth playing.
void add_if_positive(Hensu& h, int index, int16_t d) {
    int16_t& s = h.CPU_Ten.cells[size_t(index)];
    if (s > 0) s = int16_t(s + d);
}

}  // namespace

void mdl_CPU_kaesuKazu(Hensu& h) {
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) h.CPU_Ten(x, y) = int16_t(count_turns(h, x, y));
}

void mdl_CPU_kihonTen(Hensu& h) {
    for (int i = 0; i < 64; ++i) add_if_positive(h, i, 900);
}

void mdl_CPU_kado(Hensu& h) {
    for (int c : kCorners) add_if_positive(h, c, 200);
}

void mdl_CPU_Xmasu(Hensu& h) {
    for (int i = 0; i < 4; ++i)
        if (h.Ban.cells[size_t(kCorners[i])] == kEmpty) add_if_positive(h, kXSquares[i], -150);
}

void mdl_CPU_Xmasu2(Hensu& h) {
    for (int x : kXSquares) add_if_positive(h, x, -5);
}

void mdl_CPU_Cmasu(Hensu& h) {
    for (const auto& c : kCSquares)
        if (h.Ban.cells[size_t(c[1])] == kEmpty) add_if_positive(h, c[0], -7);
}

int mdl_CPU_CHG_Ishi(Hensu& h, int index) {
    h.Okenai_Flg = 0;
    const int x = mdl_indexTox(index), y = mdl_indexToy(index);
    if (h.Ban(x, y) > 0) h.Okenai_Flg = 1;
    h.Kaeshita_Flg = 0;
    if (h.Okenai_Flg == 1) return 1;
    walk_rays_and_turn(h, x, y);
    return h.Okenai_Flg == 0 && h.Kaeshita_Flg == 1 ? 0 : 1;
}

int choice_scan(const Hensu& h, ui::Random& random) {
    int16_t chosen_score = 0;
    int16_t top = 0;
    int chosen = -1;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const int16_t s = h.CPU_Ten(x, y);
            if (s < top - 3) continue;
            // Scores within 3 of the best so far are a toss-up; the coin is
            // thrown only when neither rule above decides.
            const bool take = top == 0 || s > top + 3 || random.draw(2) == 1;
            if (!take) continue;
            if (s > top) top = s;
            chosen_score = s;
            chosen = mdl_xyToindex(x, y);
        }
    }
    return chosen_score == 0 ? -1 : chosen;
}

int settle_choice(const Hensu& h, const BoardTable& turns, int scanned) {
    if (scanned >= 0 && scanned < 64 && turns.cells[size_t(scanned)] > 0) return scanned;
    // The scan can land on an occupied cell, a negative score or nothing when
    // every legal score is tiny; the CPU must still move when it can.
    int best = -1;
    for (int i = 0; i < 64; ++i) {
        if (turns.cells[size_t(i)] <= 0) continue;
        if (best < 0 || h.CPU_Ten.cells[size_t(i)] > h.CPU_Ten.cells[size_t(best)]) best = i;
    }
    return best;
}

int mdl_CPU_choose(Hensu& h, ui::Random& random) {
    const int16_t chara = h.chara_No == 1 || h.chara_No == 2 ? h.chara_No : 0;
    mdl_CPU_kaesuKazu(h);
    const BoardTable turns = h.CPU_Ten;
    mdl_CPU_kihonTen(h);
    if (chara >= 1) mdl_CPU_sakiyomi(h);
    mdl_CPU_kado(h);
    if (chara >= 1) {
        mdl_CPU_hen(h);
        mdl_CPU_Xmasu(h);
    }
    if (chara == 2) {
        mdl_CPU_Xmasu2(h);
        mdl_CPU_Cmasu(h);
    }
    return settle_choice(h, turns, choice_scan(h, random));
}
