// Rules engine: cell index conversions, the placement test with its marking
// scheme, the legal-move queries and the stone count.
#pragma once

#include <string>

#include "state/hensu.h"

struct Game;

// Column and row of a cell index 0..63, also given as its decimal text.
// An index outside 0..63 gives 0.
int mdl_indexTox(int index);
int mdl_indexToy(int index);
int mdl_indexTox(const std::string& index);
int mdl_indexToy(const std::string& index);
int mdl_xyToindex(int x, int y);

// The marking scheme: every mark becomes Teban / goes back to the other colour.
void mdl_hikkurikaesu(Hensu& h);
void mdl_modosi(Hensu& h);

// Walks the eight rays from the empty cell (x, y) for Teban, turning every
// closed line. Sets Kaeshita_Flg when a stone was turned. Leaves no mark.
void walk_rays_and_turn(Hensu& h, int x, int y);

// The placement test of every real move: on a legal move the captured stones
// are turned, the move recorded and phase "5" armed; otherwise the refusal box.
void mdl_CHG_Ishi(Game& g, int index);

// Read-only questions about Ban for the side in Teban.
int mdl_okeruAri(const Hensu& h);
int mdl_okeruKazu(const Hensu& h);
int mdl_okeruXY(const Hensu& h, int x, int y);
void mdl_IshiKazu(Hensu& h);

// How many stones Teban would turn at the empty cell (x, y), every ray walked.
int count_turns(const Hensu& h, int x, int y);
