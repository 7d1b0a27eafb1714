// The program-wide game state. Every routine reads and writes these
// variables directly; nothing is saved between runs.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// An 8 x 8 table addressed (x, y), x the column and y the row 0..7;
// cell (x, y) is element x + 8 * y.
struct BoardTable {
    std::array<int16_t, 64> cells{};
    int16_t& operator()(int x, int y) { return cells[size_t(x + 8 * y)]; }
    int16_t operator()(int x, int y) const { return cells[size_t(x + 8 * y)]; }
    bool operator==(const BoardTable&) const = default;
};

// Cell codes of Ban.
inline constexpr int16_t kEmpty = 0;
inline constexpr int16_t kBlack = 1;
inline constexpr int16_t kWhite = 2;
inline constexpr int16_t kMark = 3;  // a stone about to be turned, inside one test only

// The other colour of c: 2 for 1, 1 for anything else.
inline int16_t other_colour(int c) { return c == 1 ? 2 : 1; }

struct Hensu {
    BoardTable Ban;
    BoardTable Ban_bak;
    BoardTable CPU_Ten;
    BoardTable Aite_Tesu;
    BoardTable Aite_Kado;
    BoardTable Jibun_Kado;
    BoardTable Kiken_Masu;
    int16_t Teban = 0;
    int16_t User_Iro = 0;
    int16_t Okenai_Flg = 0;
    int16_t Kaeshita_Flg = 0;
    int16_t Pass_Kazu = 0;
    int16_t Kuro_Kazu = 0;
    int16_t Siro_Kazu = 0;
    int16_t chara_No = 0;
    std::string chara_Name;
    int16_t main_Kido = 0;
    int16_t Keisei = 0;
    int16_t Last_X = 0;
    int16_t Last_Y = 0;
    int16_t newc_Flg = 0;
    int16_t newc_Kazu = 0;
    int16_t newc_Kaikin = 0;
    int16_t Music_Speed_Flg = 0;
};
