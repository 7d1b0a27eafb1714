// The game window's routines: the phase engine, board clicks and placing,
// the new-game reset and start of play, the board redraw, the janken, the
// end-of-game judgement and the ways out of the window.
#pragma once

struct Game;

// Phase engine.
void main_Timer_Timer(Game& g);
void main_Form_Load(Game& g);

// Board clicks, placing and turn hand-over.
void img_ishi_Click(Game& g, int index);
void mdl_okiIshi2(Game& g, int x, int y);
void mdl_CPU_PATH(Game& g);
void mdl_MouseIshi(Game& g);

// New game reset and start of play.
void mdl_shokika(Game& g);
void mdl_GameStart(Game& g);

// Board redraw.
void mdl_IshiHyouji(Game& g);
void Timer_Ishi_Timer(Game& g);

// Janken.
void Timer_jya_Timer(Game& g);
void img_jya_Click(Game& g, int index);
void Timer_jya2_Timer(Game& g);

// End of game.
void mdl_kekkaHantei(Game& g);

// Lifecycle and the way back to the title.
void main_Form_Unload(Game& g);
void img_tit_Click(Game& g);
void Timer_newc_Timer(Game& g);
