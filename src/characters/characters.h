// The character's remarks in the speech balloon and its faces.
#pragma once

struct Game;

// Remark cycle and situation code.
void TimercharMsg_Timer(Game& g);
void mdl_keisei(Game& g);
// The CPU's remark on its own move; the reaction to the user's move.
void mdl_charaMSG_CPU(Game& g);
void mdl_charaMSG_User(Game& g);

// Faces and their two follow-up frames.
void mdl_charaHyoujou(Game& g, int n);
void TimercharImg_Timer(Game& g);
void TimercharImg2_Timer(Game& g);
