// The CPU opponent: a score per cell rebuilt for every move, adjusted by the
// character's pipeline, and a scan in cell order with coin tosses.
#pragma once

#include "state/hensu.h"
#include "ui/ui.h"

struct Game;

// The CPU's move for the side in Teban: plays its cell through mdl_CHG_Ishi
// (Pass_Kazu = 0 first) or passes through mdl_CPU_PATH.
void mdl_CPU_utsu(Game& g);

// The choice alone: the cell index the CPU plays, or -1 for a pass.
// Rewrites CPU_Ten and the look-ahead tables; Ban and Teban end as they were.
int mdl_CPU_choose(Hensu& h, ui::Random& random);

// The pipeline steps. Each changes only cells whose score is above 0 when it
// looks at them, so occupied and illegal cells stay at 0 throughout.
void mdl_CPU_kaesuKazu(Hensu& h);  // every cell := stones Teban would turn there
void mdl_CPU_kihonTen(Hensu& h);   // +900 on every legal cell
void mdl_CPU_sakiyomi(Hensu& h);   // one-move look-ahead: replies, corners, C-square danger
void mdl_CPU_kado(Hensu& h);       // +200 on a legal corner
void mdl_CPU_hen(Hensu& h);        // edge patterns along the four edges
void mdl_CPU_Xmasu(Hensu& h);      // -150 on an X-square beside an empty corner
void mdl_CPU_Xmasu2(Hensu& h);     // -5 on every X-square
void mdl_CPU_Cmasu(Hensu& h);      // -7 on a C-square beside an empty corner

// The look-ahead's placement test: turns what a move at index would turn,
// without putting the stone or showing anything. 0 when legal, 1 when not.
int mdl_CPU_CHG_Ishi(Hensu& h, int index);

// The scan over CPU_Ten in cell order with its coin tosses: the cell it
// lands on, or -1 when it ends on a score of 0 (a pass).
int choice_scan(const Hensu& h, ui::Random& random);

// Keeps the scan's cell when it is legal (turns > 0, turns being CPU_Ten as
// left by mdl_CPU_kaesuKazu); otherwise the legal cell with the highest
// score, the lowest index among equals; -1 only when nothing is legal.
int settle_choice(const Hensu& h, const BoardTable& turns, int scanned);
