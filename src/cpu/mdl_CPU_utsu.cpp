#include "cpu/mdl_CPU.h"

#include "game.h"
#include "match/match.h"
#include "state/mdl.h"

void mdl_CPU_utsu(Game& g) {
    const int index = mdl_CPU_choose(g.hensu, g.app.random());
    if (index >= 0) {
        g.hensu.Pass_Kazu = 0;
        mdl_CHG_Ishi(g, index);
    } else {
        mdl_CPU_PATH(g);
    }
}
