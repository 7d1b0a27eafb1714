#include "game.h"

Game::Game(ui::App& a, Winmm& w) : app(a), winmm(w), title_f(*this) {}

Game::~Game() = default;

MainForm& Game::main_f() {
    if (!main_) main_ = std::make_unique<MainForm>(*this);
    return *main_;
}

void Game::start() { title_f.show(); }
