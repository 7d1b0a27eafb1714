#include "cpu/mdl_CPU.h"

namespace {

enum class Edge { Top, Bottom, Left, Right };
constexpr Edge kEdges[4] = {Edge::Top, Edge::Bottom, Edge::Left, Edge::Right};

// Cell index of position m (0..7) along an edge.
int edge_cell(Edge e, int m) {
    switch (e) {
        case Edge::Top: return m;
        case Edge::Bottom: return m + 56;
        case Edge::Left: return 8 * m;
        case Edge::Right: return 7 + 8 * m;
    }
    return m;
}

// Walks from m in steps of dm up to the end of the edge, stopping at the
// first empty cell: true when a stone of colour s comes first.
bool own_stone_before_gap(const Hensu& h, Edge e, int m, int dm, int16_t s) {
    for (; m >= 0 && m <= 7; m += dm) {
        const int16_t v = h.Ban.cells[size_t(edge_cell(e, m))];
        if (v == kEmpty) return false;
        if (v == s) return true;
    }
    return false;
}

void edge_section(Hensu& h, Edge e, int k) {
    int16_t& ten = h.CPU_Ten.cells[size_t(edge_cell(e, k))];
    if (ten <= 0) return;
    const int16_t S = h.Teban, U = h.User_Iro;
    auto ban = [&](int m) { return h.Ban.cells[size_t(edge_cell(e, m))]; };
    auto add = [&](int d) { ten = int16_t(ten + d); };

    // A one-cell gap beside our own stone invites a wedge.
    if (k <= 5 && ban(k + 1) == kEmpty && ban(k + 2) == S) add(-50);
    if (k >= 2 && ban(k - 1) == kEmpty && ban(k - 2) == S) add(-50);
    // Dropping between two opponent stones.
    if (ban(k - 1) == U && ban(k + 1) == U) {
        if (e == Edge::Right) add(20);
        return;
    }
    // An opponent run on either side is only safe when our stone closes it.
    if (ban(k + 1) == U) {
        if (!own_stone_before_gap(h, e, k + 1, 1, S)) add(-20);
    } else {
        add(-10);
    }
    if (ban(k - 1) == U) {
        if (own_stone_before_gap(h, e, k - 1, -1, S)) {
            if (e == Edge::Top) add(20);
        } else {
            add(-20);
        }
    } else {
        add(-10);
    }
}

}  // namespace

void mdl_CPU_hen(Hensu& h) {
    for (int k = 1; k <= 6; ++k)
        for (Edge e : kEdges) edge_section(h, e, k);
}
