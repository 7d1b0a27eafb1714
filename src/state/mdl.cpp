#include "state/mdl.h"

#include "game.h"

namespace {

// The eight rays in the order they are walked: left, up, right, down,
// up-left, down-right, up-right, down-left. Each runs to the edge.
constexpr int kRays[8][2] = {{-1, 0}, {0, -1}, {1, 0}, {0, 1}, {-1, -1}, {1, 1}, {1, -1}, {-1, 1}};

bool on_board(int x, int y) { return x >= 0 && x < 8 && y >= 0 && y < 8; }

// Opponent stones a ray from (x, y) closes for Teban; 0 when it closes nothing.
int ray_capture(const Hensu& h, int x, int y, int dx, int dy) {
    int count = 0;
    for (int cx = x + dx, cy = y + dy; on_board(cx, cy); cx += dx, cy += dy) {
        int16_t v = h.Ban(cx, cy);
        if (v == kEmpty) return 0;
        if (v == h.Teban) return count;
        ++count;
    }
    return 0;
}

bool cell_legal(const Hensu& h, int x, int y) {
    for (const auto& r : kRays)
        if (ray_capture(h, x, y, r[0], r[1]) > 0) return true;
    return false;
}

int range_of(int index) { return index >= 0 && index <= 63 ? index / 8 : -1; }

int parse_index(const std::string& text) {
    try {
        return std::stoi(text);
    } catch (...) {
        return -1;
    }
}

}  // namespace

int mdl_indexTox(int index) {
    int k = range_of(index);
    return k < 0 ? 0 : index - 8 * k;
}

int mdl_indexToy(int index) {
    int k = range_of(index);
    return k < 0 ? 0 : k;
}

int mdl_indexTox(const std::string& index) { return mdl_indexTox(parse_index(index)); }
int mdl_indexToy(const std::string& index) { return mdl_indexToy(parse_index(index)); }
int mdl_xyToindex(int x, int y) { return x + 8 * y; }

void mdl_hikkurikaesu(Hensu& h) {
    for (auto& c : h.Ban.cells) {
        if (c == kMark) {
            c = h.Teban;
            h.Kaeshita_Flg = 1;
        }
    }
}

void mdl_modosi(Hensu& h) {
    for (auto& c : h.Ban.cells)
        if (c == kMark) c = h.Teban == 1 ? 2 : 1;
}

void walk_rays_and_turn(Hensu& h, int x, int y) {
    for (const auto& r : kRays) {
        for (int cx = x + r[0], cy = y + r[1]; on_board(cx, cy); cx += r[0], cy += r[1]) {
            int16_t& v = h.Ban(cx, cy);
            if (v == kEmpty) break;
            if (v == h.Teban) {
                mdl_hikkurikaesu(h);
                break;
            }
            v = kMark;
        }
        mdl_modosi(h);
    }
}

void mdl_CHG_Ishi(Game& g, int index) {
    Hensu& h = g.hensu;
    h.Okenai_Flg = 0;
    const int x = mdl_indexTox(index), y = mdl_indexToy(index);
    if (h.Ban(x, y) > 0) h.Okenai_Flg = 1;
    h.Kaeshita_Flg = 0;
    if (h.Okenai_Flg == 0) walk_rays_and_turn(h, x, y);
    if (h.Okenai_Flg == 0 && h.Kaeshita_Flg == 1) {
        h.Last_X = int16_t(x);
        h.Last_Y = int16_t(y);
        g.main_f().main_Timer.tag = "5";
        g.main_f().main_Timer.set_enabled(true);
        return;
    }
    g.app.msgbox("そこは置けません！", 48, "ぽてんなパタパタ！");
}

int mdl_okeruAri(const Hensu& h) {
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 8; ++y)
            if (h.Ban(x, y) == kEmpty && cell_legal(h, x, y)) return 1;
    return 0;
}

int mdl_okeruKazu(const Hensu& h) {
    int n = 0;
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 8; ++y)
            if (h.Ban(x, y) == kEmpty && cell_legal(h, x, y)) ++n;
    return n;
}

int mdl_okeruXY(const Hensu& h, int x, int y) {
    return h.Ban(x, y) == kEmpty && cell_legal(h, x, y) ? 1 : 0;
}

void mdl_IshiKazu(Hensu& h) {
    h.Kuro_Kazu = 0;
    h.Siro_Kazu = 0;
    for (int16_t c : h.Ban.cells) {
        if (c == kBlack) ++h.Kuro_Kazu;
        if (c == kWhite) ++h.Siro_Kazu;
    }
}

int count_turns(const Hensu& h, int x, int y) {
    if (h.Ban(x, y) != kEmpty) return 0;
    int n = 0;
    for (const auto& r : kRays) n += ray_capture(h, x, y, r[0], r[1]);
    return n;
}
