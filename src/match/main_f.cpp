#include "match/main_f.h"

#include "characters/characters.h"
#include "game.h"
#include "match/match.h"
#include "sound/mdl_Sound.h"

using ui::Kind;

namespace {

void label(ui::Control& c, double pt, bool bold, uint32_t color, ui::Align align) {
    c.font_pt = pt;
    c.bold = bold;
    c.fore_color = color;
    c.align = align;
}

}  // namespace

MainForm::MainForm(Game& g) : ui::Form(g.app) {
    name = "main_f";
    caption = "ぽてんなパタパタ！";
    client_width = 478;
    client_height = 360;
    background = {"main_bg"};
    icon = {"stone_white"};
    const ui::Picture white{"stone_white"}, black{"stone_black"};

    // Front to back.
    add(img_tit, Kind::Picture, "img_tit", 248, 320, 166, 25);
    img_tit.picture = {"tit_button"};
    img_tit.visible = false;
    img_tit.enabled = false;
    img_tit.mouse_icon = white;
    img_tit.mouse_pointer = ui::kPointerCustom;
    img_tit.on_click = [&g](int) { img_tit_Click(g); };

    add(lbl_msg, Kind::Label, "lbl_msg", 200, 323.3, 257, 33);
    label(lbl_msg, 14.25, true, ui::rgb(0x40, 0x40, 0x40), ui::Align::Center);

    // The janken panel lies in front of the board, which it covers when shown.
    add(sentaku_fra, Kind::Frame, "sentaku_fra", 184, 24, 273, 273);
    sentaku_fra.back_color = ui::rgb(0, 0, 0x80);
    sentaku_fra.visible = false;
    ui::Control* p = &sentaku_fra;
    add(lbl_jya1, Kind::Label, "lbl_jya1", 112, 48, 137, 17, p);
    add(lbl_jya2, Kind::Label, "lbl_jya2", 112, 64, 137, 17, p);
    for (auto* l : {&lbl_jya1, &lbl_jya2}) label(*l, 9.75, false, ui::rgb(0x40, 0x40, 0x40), ui::Align::Center);
    add(img_ico, Kind::Picture, "img_ico", 160, 62, 33, 33, p);
    name_array(img_jyacpu, "img_jyacpu");
    add(img_jyacpu[0], Kind::Picture, "", 144, 104, 43, 42, p).picture = {"jya_cpu_0"};
    add(img_jyacpu[1], Kind::Picture, "", 144, 104, 42, 45, p).picture = {"jya_cpu_1"};
    add(img_jyacpu[2], Kind::Picture, "", 144, 104, 45, 43, p).picture = {"jya_cpu_2"};
    name_array(img_jya, "img_jya");
    add(img_jya[0], Kind::Picture, "", 40, 168, 43, 60, p).picture = {"jya_user_0"};
    add(img_jya[1], Kind::Picture, "", 112, 168, 46, 60, p).picture = {"jya_user_1"};
    add(img_jya[2], Kind::Picture, "", 192, 168, 45, 60, p).picture = {"jya_user_2"};
    for (auto& h : img_jya) {
        h.mouse_icon = white;
        h.mouse_pointer = ui::kPointerCustom;
        h.on_click = [&g](int i) { img_jya_Click(g, i); };
    }
    name_array(img_jyacha, "img_jyacha");
    for (int i = 0; i < 3; ++i) {
        add(img_jyacha[i], Kind::Picture, "", 40, 88, 65, 60, p).picture = {"jya_face_" + std::to_string(i)};
        img_jyacha[i].visible = false;
    }
    add(Image1, Kind::Picture, "Image1", 0, 0, 281, 281, p).picture = {"jya_panel"};

    // The board.
    add(Frame1, Kind::Frame, "Frame1", 184, 24, 273, 273);
    ui::Control* b = &Frame1;
    add(img_douten, Kind::Picture, "img_douten", 56, 120, 160, 34, b).picture = {"banner_draw"};
    add(img_win, Kind::Picture, "img_win", 56, 120, 160, 34, b).picture = {"banner_win"};
    add(img_lose, Kind::Picture, "img_lose", 56, 120, 160, 34, b).picture = {"banner_lose"};
    img_win.visible = false;
    img_lose.visible = false;
    add(Shp_tit, Kind::Shape, "Shp_tit", 48, 115.3, 177, 41, b);
    Shp_tit.back_color = ui::rgb(255, 255, 255);
    Shp_tit.visible = false;
    const double dot = 7, d1 = 72 - 3.5, d2 = 200 - 3.5;
    add(Shape1, Kind::Shape, "Shape1", d1, d1, dot, dot, b);
    add(Shape2, Kind::Shape, "Shape2", d2, d1, dot, dot, b);
    add(Shape3, Kind::Shape, "Shape3", d2, d2, dot, dot, b);
    add(Shape4, Kind::Shape, "Shape4", d1, d2, dot, dot, b);
    for (auto* s : {&Shape1, &Shape2, &Shape3, &Shape4}) {
        s->shape = ui::ShapeKind::Circle;
        s->back_color = ui::rgb(0, 0, 0);
    }
    name_array(img_ishi, "img_ishi");
    for (int i = 0; i < 64; ++i) {
        auto& c = add(img_ishi[i], Kind::Picture, "", 8 + 32 * (i % 8), 8 + 32 * (i / 8), 32, 32, b);
        c.flat_border = true;
        c.tag = "0";
        c.on_click = [&g](int idx) { img_ishi_Click(g, idx); };
    }

    // The score panel.
    add(Shape5, Kind::Shape, "Shape5", 10, 24.7, 161, 97);
    Shape5.border_color = ui::rgb(0x80, 0x80, 0x80);
    Shape5.border_width = 5;
    add(Frame3, Kind::Frame, "Frame3", 10, 24.7, 161, 97);
    Frame3.back_color = ui::rgb(255, 255, 255);
    ui::Control* s = &Frame3;
    name_array(lbl_IshiKazu, "lbl_IshiKazu");
    add(lbl_IshiKazu[0], Kind::Label, "", 48, 16, 28, 25, s);
    add(lbl_IshiKazu[1], Kind::Label, "", 48, 64, 28, 25, s);
    name_array(lbl_IshiCap, "lbl_IshiCap");
    add(lbl_IshiCap[0], Kind::Label, "", 76.7, 16, 89, 25, s);
    add(lbl_IshiCap[1], Kind::Label, "", 76.7, 64, 97, 25, s);
    for (int i = 0; i < 2; ++i) {
        label(lbl_IshiKazu[i], 14.25, true, ui::rgb(0x80, 0x80, 0x80), ui::Align::Left);
        lbl_IshiKazu[i].autosize = true;
        lbl_IshiKazu[i].caption = "0";
        label(lbl_IshiCap[i], 11.25, true, ui::rgb(0x80, 0x80, 0x80), ui::Align::Left);
    }
    name_array(main_img_ishi, "main_img_ishi");
    add(main_img_ishi[1], Kind::Picture, "", 8, 8, 32, 32, s).picture = black;
    add(main_img_ishi[2], Kind::Picture, "", 8, 56, 32, 32, s).picture = white;

    // The character.
    add(lbl_charMsg, Kind::Label, "lbl_charMsg", 24, 166.7, 145, 17);
    label(lbl_charMsg, 11.25, true, ui::rgb(0x80, 0x80, 0x80), ui::Align::Center);
    add(img_hukidasi, Kind::Picture, "img_hukidasi", 16, 144.6, 156, 70).picture = {"balloon"};
    add(img_char_main, Kind::Picture, "img_char_main", 0, 215, 170, 145);
    img_char_main.visible = false;
    add(Img_buf, Kind::Picture, "Img_buf", 0, 215, 65, 57).visible = false;
    add(Img_buf2, Kind::Picture, "Img_buf2", 0, 215, 57, 57).visible = false;
    struct Faces {
        ui::ControlArray<0, 2>* array;
        const char* name;
        const char* picture;
    };
    const Faces faces[] = {{&img_char1, "img_char1", "calm"},       {&img_char1b, "img_char1b", "calm2"},
                           {&img_char2, "img_char2", "dismayed"},   {&img_char2b, "img_char2b", "dismayed2"},
                           {&img_char3, "img_char3", "burst"},      {&img_char4, "img_char4", "uneasy"}};
    for (const auto& f : faces) {
        name_array(*f.array, f.name);
        for (int i = 0; i < 3; ++i) {
            auto& c = add((*f.array)[i], Kind::Picture, "", 0, 215, 170, 145);
            c.picture = {"chara" + std::to_string(i) + "_" + f.picture};
            c.visible = false;
        }
    }

    add_timer(main_Timer, "main_Timer", 500, true, "0").on_tick = [&g] { main_Timer_Timer(g); };
    add_timer(Timer_Ishi, "Timer_Ishi", 200, false, "0").on_tick = [&g] { Timer_Ishi_Timer(g); };
    add_timer(Timer_jya, "Timer_jya", 50, true, "0").on_tick = [&g] { Timer_jya_Timer(g); };
    add_timer(Timer_jya2, "Timer_jya2", 3000, false, "").on_tick = [&g] { Timer_jya2_Timer(g); };
    add_timer(TimercharMsg, "TimercharMsg", 10, false, "0").on_tick = [&g] { TimercharMsg_Timer(g); };
    add_timer(Timer_newc, "Timer_newc", 3000, false, "").on_tick = [&g] { Timer_newc_Timer(g); };
    add_timer(Timer_Sound, "Timer_Sound", 100, false, "").on_tick = [this, &g] {
        timer_sound_tick(g.snd, g.winmm, Timer_Sound);
    };
    add_timer(TimercharImg, "TimercharImg", 100, false, "").on_tick = [&g] { TimercharImg_Timer(g); };
    add_timer(TimercharImg2, "TimercharImg2", 850, false, "").on_tick = [&g] { TimercharImg2_Timer(g); };

    on_load = [&g] { main_Form_Load(g); };
    on_unload = [&g] { main_Form_Unload(g); };
    g.app.register_form(*this);
}
