#include "title/title_f.h"

#include "game.h"
#include "sound/mdl_Sound.h"
#include "title/title.h"

using ui::Kind;

namespace {
constexpr double twips(double t) { return t / 15.0; }
}  // namespace

TitleForm::TitleForm(Game& g) : ui::Form(g.app) {
    name = "title_f";
    caption = "ぽてんなパタパタ！";
    client_width = 480;
    client_height = 360;
    background = {"title_bg"};
    icon = {"stone_white"};
    const ui::Picture white{"stone_white"}, black{"stone_black"};

    // Front to back: the splashes in front of everything, the click zones in
    // front of the menu pictures.
    auto splash = [&](ui::Control& c, double l, double t, const char* picture) {
        add(c, Kind::Picture, "", twips(l), twips(t), 480, 360).picture = {picture};
        c.visible = false;
    };
    img_newc.name = "img_newc";
    splash(img_newc, -6120, 2040, "splash_newc");
    name_array(img_vs, "img_vs");
    splash(img_vs[2], -5760, -1920, "splash_2");
    splash(img_vs[1], -6120, 3240, "splash_1");
    splash(img_vs[0], -4680, -2640, "splash_0");

    add(lbl_clickmsg, Kind::Label, "lbl_clickmsg", twips(0), twips(3360), twips(7215), twips(615));
    lbl_clickmsg.caption = "Please click";
    lbl_clickmsg.font_pt = 18;
    lbl_clickmsg.bold = true;
    lbl_clickmsg.fore_color = ui::rgb(255, 128, 0);
    lbl_clickmsg.align = ui::Align::Center;
    lbl_clickmsg.on_mouse_down = [&g](int) { title_Form_Click(g); };

    name_array(img_click, "img_click");
    add(img_click[2], Kind::Picture, "", twips(2280), twips(4150), twips(2655), twips(495)).mouse_icon = white;
    add(img_click[1], Kind::Picture, "", twips(2520), twips(3650), twips(2055), twips(495)).mouse_icon = black;
    add(img_click[0], Kind::Picture, "", twips(2520), twips(3120), twips(2055), twips(495)).mouse_icon = white;
    for (auto& z : img_click) {
        z.mouse_pointer = ui::kPointerCustom;
        z.on_click = [&g](int i) { img_click_Click(g, i); };
    }

    name_array(img_start, "img_start");
    add(img_start[1], Kind::Picture, "", twips(5880), twips(-840), twips(3060), twips(1995)).picture = {"menu3"};
    add(img_start[0], Kind::Picture, "", twips(2020), twips(2910), twips(3045), twips(1425)).picture = {"menu2"};

    add(lbl_Ver, Kind::Label, "lbl_Ver", twips(5880), twips(5040), twips(1275), twips(240));
    lbl_Ver.caption = "Version 1.1";
    lbl_Ver.font_pt = 12;
    lbl_Ver.bold = true;
    lbl_Ver.fore_color = ui::rgb(255, 128, 0);
    lbl_Ver.autosize = true;

    add_timer(Timer1, "Timer1", 500, true, "1").on_tick = [&g] { Timer1_Timer(g); };
    add_timer(Timer2, "Timer2", 3000, false, "").on_tick = [&g] { Timer2_Timer(g); };
    add_timer(Timer_Sound, "Timer_Sound", 100, false, "").on_tick = [this, &g] {
        timer_sound_tick(g.snd, g.winmm, Timer_Sound);
    };

    on_load = [&g] { title_Form_Load(g); };
    on_unload = [&g] { title_Form_Unload(g); };
    on_mouse_down = [&g] { title_Form_Click(g); };
    on_click = [&g] { title_Form_Click(g); };
    g.app.register_form(*this);
}
