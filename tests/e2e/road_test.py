"""The whole road of one game, as a user takes it: title, menu, splash,
janken, a game against the cat played to its end, back to the title, close."""

import random
import sys
import time

from harness import *


def whole_road(exe, xs):
    seed = int(os.environ.get("E2E_SEED", time.time_ns() % 1000000))
    log(f"seed {seed} (E2E_SEED={seed} repeats the user's moves)")
    rng = random.Random(seed)
    with Program(exe, xs) as p:
        t = p.wait_window(TITLE_SIZE)
        check(t.caption == CAPTION, f"title caption {t.caption!r}")
        p.wait_picture(TITLE_SIZE, "title_bg", 0, 0, timeout=5)
        check(not p.shows(t, "menu2", *MENU_AT), "the menu shows before any click")

        open_menu(p)
        p.click(t, *centre(MENU_LINES[0]))
        p.wait_picture(TITLE_SIZE, "splash_0", 0, 0, timeout=5)
        splash_at = time.monotonic()
        g = wait_janken(p)
        waited = time.monotonic() - splash_at
        check(1.5 < waited < 6.0, f"the game window came {waited:.1f} s after the splash")
        check(g.caption == CAPTION, f"game caption {g.caption!r}")
        check(p.window(TITLE_SIZE) is None, "the title window stays up beside the game")

        user = pick_hand(p, g, rng.randrange(3))
        log(f"the user plays {COLOUR_NAME[user]}")

        def first_board():
            b = read_board(p, p.shot(g))
            return b if None not in b.values() and count(b, EMPTY) == 60 else None
        start = wait_for("the first board", first_board, 10)
        check((start[27], start[28], start[35], start[36]) == (BLACK, WHITE, WHITE, BLACK),
              "the four centre stones")

        banner, board, boxes = play_game(p, g, user, rng)
        mine, theirs = count(board, user), count(board, BLACK + WHITE - user)
        log(f"result {BANNERS[banner]}: {mine} to {theirs}, {boxes} refusal box(es) met")
        expected = "win" if mine > theirs else "lose" if mine < theirs else "draw"
        check(BANNERS[banner] == expected, f"{banner} shown for {mine} to {theirs}")

        p.click(g, TIT_AT[0] + 83, TIT_AT[1] + 12)
        first_place = t.frame
        t = p.wait_window(TITLE_SIZE, timeout=5)
        check(t.frame == first_place, f"the title window came back at {t.frame}, not {first_place}")
        wait_for("the game window to go", lambda: p.window(GAME_SIZE) is None, 5)
        p.wait_picture(TITLE_SIZE, "title_bg", 0, 0, timeout=5)
        check(not p.shows(t, "menu2", *MENU_AT), "the menu shows again at once")

        p.close_and_expect_exit(t, timeout=5)
        check(p.stderr() == "", f"stderr:\n{p.stderr()}")


if __name__ == "__main__":
    run_case({"whole_road": whole_road}, sys.argv)
