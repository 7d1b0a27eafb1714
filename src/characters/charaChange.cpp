// The character's faces: a picture at once and two follow-up frames.
#include "characters/characters.h"
#include "game.h"

void mdl_charaHyoujou(Game& g, int n) {
    MainForm& f = g.main_f();
    const int c = g.hensu.chara_No;
    using Faces = ui::ControlArray<0, 2>;
    struct Row {
        Faces* now;
        Faces* at100;
        Faces* at850;
    };
    // Face codes 1..6: the picture at once, at +100 ms and at +850 ms.
    const Row rows[6] = {
        {&f.img_char3, &f.img_char1, &f.img_char1},  {&f.img_char2, &f.img_char2b, &f.img_char1},
        {&f.img_char1, &f.img_char1b, &f.img_char1}, {&f.img_char1, &f.img_char1b, &f.img_char1},
        {&f.img_char1, &f.img_char1b, &f.img_char1}, {&f.img_char2, &f.img_char1, &f.img_char1},
    };
    if (n >= 1 && n <= 6 && c >= 0 && c <= 2) {
        const Row& r = rows[n - 1];
        f.img_char_main.picture = (*r.now)[c].picture;
        f.Img_buf.picture = (*r.at100)[c].picture;
        f.Img_buf2.picture = (*r.at850)[c].picture;
    }
    f.TimercharImg.set_enabled(true);
    f.TimercharImg2.set_enabled(true);
}

void TimercharImg_Timer(Game& g) {
    MainForm& f = g.main_f();
    f.img_char_main.picture = f.Img_buf.picture;
    f.TimercharImg.set_enabled(false);
}

void TimercharImg2_Timer(Game& g) {
    MainForm& f = g.main_f();
    f.img_char_main.picture = f.Img_buf2.picture;
    f.TimercharImg2.set_enabled(false);
}
