// The ways out of the game window: closing it, back to the title, and the
// return after the unlocking win.
#include "game.h"
#include "match/match.h"
#include "sound/mdl_Sound.h"
#include "title/title.h"

void main_Form_Unload(Game& g) {
    music_stop(g.snd, g.winmm, g.main_f().Timer_Sound);
    g.app.end();
}

void img_tit_Click(Game& g) {
    play_sound(g.winmm, g.snd.snd_oki);
    F_set(g);
    g.main_f().hide();
    g.title_f.show();
}

void Timer_newc_Timer(Game& g) {
    MainForm& f = g.main_f();
    f.Timer_newc.set_enabled(false);
    f.hide();
    g.title_f.show();
    mdl_newc(g);
}
