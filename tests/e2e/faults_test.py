"""Faults from outside the program: media files missing, damaged or with
something else in their place, a picture empty or unreadable, no audio device
or no sound card, no font. A media or picture fault is tried on a copy of the
program in a folder of its own."""

import random
import shutil
import sys

from harness import *


NOBODY = 65534


def play(exe, xs, env=None, whole_game=False, uid=None):
    """Title, menu, janken and the first move of the game, or the whole game;
    then a close. Nothing may be printed on the way."""
    with Program(exe, xs, env, uid) as p:
        open_menu(p)
        g = choose_cat(p)
        user = pick_hand(p, g, 1)
        if whole_game:
            _, board, _ = play_game(p, g, user, random.Random(1))
            log(f"the game ended with {64 - count(board, EMPTY)} stones on the board")
        elif user == BLACK:
            board = wait_users_turn(p, g, user)
            k = legal_cells(board, user)[0]
            p.click(g, *cell_centre(k))
            wait_for("the user's stone", lambda: read_board(p, p.shot(g), [k])[k] == user, 5)
        else:
            wait_for("the cat's first stone",
                     lambda: count(read_board(p, p.shot(g)), EMPTY) == 59, 15)
        p.close_and_expect_exit(g)
        check(p.stderr() == "", f"stderr:\n{p.stderr()}")


def damage(path, fault):
    """Damaged: the first 16 bytes (a header that still looks right) kept
    and garbage after them, at the same length. Cut short: the first half of
    the file only, its header promising the whole length."""
    with open(path, "rb") as f:
        data = f.read()
    if fault == "cut_short":
        data = data[:len(data) // 2]
    else:
        rng = random.Random(16)
        data = data[:16] + bytes(rng.randrange(256) for _ in range(len(data) - 16))
    with open(path, "wb") as f:
        f.write(data)


def media_case(name, fault):
    def case(exe, xs):
        copy = program_copy(exe)
        folder = os.path.dirname(copy)
        env, uid = None, None
        try:
            path = os.path.join(folder, name)
            if fault == "missing":
                os.remove(path)
            elif fault == "folder":
                os.remove(path)
                os.mkdir(path)
            elif fault == "pipe":  # nobody ever writes to it
                os.remove(path)
                os.mkfifo(path)
            elif fault == "huge":  # sparse: far more than memory holds, nothing on disk
                try:
                    os.truncate(path, 1 << 40)
                except OSError:
                    os.truncate(path, (64 << 20) + 1)  # a file system without such files: just too big
            elif fault == "unreadable":
                os.chmod(path, 0)
                if os.geteuid() == 0:
                    # Root reads it all the same: the program runs as nobody.
                    uid = NOBODY
                    os.chmod(folder, 0o755)
                    env = {"HOME": folder, "XDG_CACHE_HOME": folder}
            else:
                damage(path, fault)
            # The fast arrangement starts only once the board holds 55 stones.
            play(copy, xs, env, whole_game=name == "bg_main_hi.mid", uid=uid)
        finally:
            shutil.rmtree(folder)
    return case


def picture_case(fault):
    """A picture the program cannot use: it says which and why, on one line,
    and ends with status 1 before any window shows."""
    def case(exe, xs):
        copy = program_copy(exe)
        folder = os.path.dirname(copy)
        path = os.path.join(folder, "pictures", "jya_panel.png")
        env, uid = None, None
        try:
            if fault == "empty":
                open(path, "wb").close()
                why = "empty"
            else:
                os.chmod(path, 0)
                why = "permission denied"
                if os.geteuid() == 0:
                    # Root reads it all the same: the program runs as nobody.
                    uid = NOBODY
                    os.chmod(folder, 0o755)
                    env = {"HOME": folder, "XDG_CACHE_HOME": folder}
            with Program(copy, xs, env, uid) as p:
                status = p.wait_exit(20)
                err = p.stderr()
            check(status == 1, f"exit status {status}; stderr:\n{err}")
            want = f"patapata: cannot read the picture {path}: {why}\n"
            check(err == want, f"stderr:\n{err}\nwanted:\n{want}")
        finally:
            shutil.rmtree(folder)
    return case


def no_audio_device(exe, xs):
    play(exe, xs, {"SDL_AUDIODRIVER": "no_such_driver"})


def no_sound_card(exe, xs):
    play(exe, xs, {"SDL_AUDIODRIVER": "alsa", "ALSA_CARD": "no_such_card"})


def no_font(exe, xs):
    folder = tempfile.mkdtemp(prefix="patapata_e2e_fonts_")
    try:
        conf = os.path.join(folder, "fonts.conf")
        with open(conf, "w") as f:
            f.write(f"<?xml version=\"1.0\"?>\n<fontconfig><dir>{folder}</dir>"
                    f"<cachedir>{folder}</cachedir></fontconfig>\n")
        with Program(exe, xs, {"FONTCONFIG_FILE": conf}) as p:
            status = p.wait_exit(20)
            err = p.stderr()
            check(status == 1, f"exit status {status}; stderr:\n{err}")
            check(err.startswith("patapata: cannot find the font ") and err.count("\n") == 1,
                  f"stderr:\n{err}")
    finally:
        shutil.rmtree(folder)


CASES = {f"{name}_{fault}": media_case(name, fault) for name in MEDIA
         for fault in ("missing", "damaged", "folder", "unreadable")}
CASES.update({f"{name}_cut_short": media_case(name, "cut_short") for name in ("s_oki.wav", "s_kae.wav")})
CASES.update({f"{name}_{fault}": media_case(name, fault) for name in MEDIA[:3] for fault in ("pipe", "huge")})
CASES.update({f"picture_{fault}": picture_case(fault) for fault in ("empty", "unreadable")})
CASES.update(no_audio_device=no_audio_device, no_sound_card=no_sound_card, no_font=no_font)

if __name__ == "__main__":
    run_case(CASES, sys.argv)
