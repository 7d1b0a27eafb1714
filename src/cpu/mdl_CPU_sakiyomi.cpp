#include "cpu/mdl_CPU.h"

#include "state/mdl.h"

namespace {

constexpr int kCorners[4] = {0, 7, 56, 63};

// A C-square with its corner and the X-square beside that corner.
struct CSquare {
    int cell, corner, x_square;
};
constexpr CSquare kCSquares[8] = {{1, 0, 9},    {6, 7, 14},   {8, 0, 9},    {15, 7, 14},
                                  {48, 56, 49}, {55, 63, 54}, {57, 56, 49}, {62, 63, 54}};

// After a move on a C-square the corner is open to the opponent when the
// X-square beside it is ours too.
bool c_square_danger(const Hensu& h, int t, int16_t c) {
    for (const auto& s : kCSquares)
        if (s.cell == t)
            return h.Ban.cells[size_t(s.corner)] == kEmpty && h.Ban.cells[size_t(s.x_square)] == c;
    return false;
}

}  // namespace

void mdl_CPU_sakiyomi(Hensu& h) {
    const int16_t c = h.Teban;
    const int16_t o = other_colour(c);
    h.Ban_bak = h.Ban;
    h.Aite_Tesu = {};
    h.Aite_Kado = {};
    h.Jibun_Kado = {};
    h.Kiken_Masu = {};
    // Squeezing the opponent to one reply only pays before the board fills up.
    const bool squeeze = h.Kuro_Kazu + h.Siro_Kazu < 35;

    for (int t = 0; t < 64; ++t) {
        const int x = mdl_indexTox(t), y = mdl_indexToy(t);
        h.Teban = c;
        if (mdl_CPU_CHG_Ishi(h, t) == 0) {
            h.Ban(x, y) = c;
            h.Teban = o;
            const int replies = mdl_okeruKazu(h);
            h.Aite_Tesu(x, y) = int16_t(replies);
            h.Aite_Kado(x, y) = int16_t(mdl_okeruXY(h, 0, 0) + mdl_okeruXY(h, 0, 7) +
                                        mdl_okeruXY(h, 7, 0) + mdl_okeruXY(h, 7, 7));
            if (c_square_danger(h, t, c)) h.Kiken_Masu(x, y) = 1;
            if (squeeze && replies == 1) {
                h.Teban = c;
                for (int corner : kCorners) {
                    if (mdl_CPU_CHG_Ishi(h, corner) == 0) {
                        h.Jibun_Kado(x, y) = 1;
                        break;  // the trial turned stones: later corners would see a changed board
                    }
                }
            }
        }
        h.Ban = h.Ban_bak;
    }

    for (int i = 0; i < 64; ++i) {
        int16_t& s = h.CPU_Ten.cells[size_t(i)];
        if (s <= 0) continue;
        s = int16_t(s - (5 * h.Aite_Tesu.cells[size_t(i)] + 200 * h.Aite_Kado.cells[size_t(i)] -
                         200 * h.Jibun_Kado.cells[size_t(i)] + 200 * h.Kiken_Masu.cells[size_t(i)]));
    }
    h.Ban = h.Ban_bak;
    h.Teban = c;
}
