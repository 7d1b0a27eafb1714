// The title window's routines: start-up, the prompt, the level menu, the
// character choice and the hand-over to the game window.
#pragma once

struct Game;

void title_Form_Load(Game& g);
void F_set(Game& g);
void Timer1_Timer(Game& g);
void title_Form_Unload(Game& g);
void title_Form_Click(Game& g);
void img_click_Click(Game& g, int index);
void mdl_newc(Game& g);
void Timer2_Timer(Game& g);
