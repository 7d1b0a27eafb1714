"""The installed program, and a session of the real program under valgrind.

    system_test.py PROGRAM installation      (CMAKE in the environment)
    system_test.py PROGRAM valgrind_session  (VALGRIND in the environment)
"""

import configparser
import os
import shlex
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import *  # noqa: E402,F403

SUPPRESSIONS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "valgrind.supp")


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    check(head[:8] == b"\x89PNG\r\n\x1a\n", f"{path} is not a PNG file")
    return struct.unpack(">II", head[16:24])


def desktop_entry(usr):
    """The one desktop entry, validated, as a dict."""
    appdir = os.path.join(usr, "share", "applications")
    entries = os.listdir(appdir)
    check(len(entries) == 1 and entries[0].endswith(".desktop"), f"desktop entries: {entries}")
    path = os.path.join(appdir, entries[0])
    v = subprocess.run(["desktop-file-validate", path], capture_output=True, text=True)
    check(v.returncode == 0 and not v.stdout.strip(), f"desktop-file-validate:\n{v.stdout}{v.stderr}")
    ini = configparser.ConfigParser(interpolation=None)
    ini.optionxform = str
    ini.read(path, encoding="utf-8")
    return dict(ini["Desktop Entry"])


def installation(exe, xs):
    """Installs the build into a staging folder and starts the program as the
    desktop's menu would: the entry's command, found on the PATH, run from
    another folder."""
    build = os.path.dirname(os.path.abspath(exe))
    stage = tempfile.mkdtemp(prefix="patapata_install_")
    try:
        subprocess.run([os.environ.get("CMAKE", "cmake"), "--install", build, "--prefix", "/usr"],
                       env=dict(os.environ, DESTDIR=stage), check=True, stdout=subprocess.DEVNULL)
        usr = os.path.join(stage, "usr")

        e = desktop_entry(usr)
        check(e.get("Type") == "Application", f"Type={e.get('Type')}")
        check(e.get("Name") == CAPTION, f"Name={e.get('Name')}")
        check(e.get("Comment"), "no Comment")
        check(e.get("Terminal") == "false", f"Terminal={e.get('Terminal')}")
        check({"Game", "BoardGame"} <= set(e.get("Categories", "").split(";")),
              f"Categories={e.get('Categories')}")
        command = shlex.split(e.get("Exec", ""))
        check(command and "/" not in command[0], f"Exec={e.get('Exec')}")

        # On the PATH, a relative link to the program in its own folder.
        bindir = os.path.join(usr, "bin")
        launcher = os.path.join(bindir, command[0])
        check(os.path.islink(launcher), f"{launcher} is not a link")
        check(not os.path.isabs(os.readlink(launcher)), "the launcher's link is absolute")
        program = os.path.realpath(launcher)
        folder = os.path.dirname(program)
        check(program.startswith(usr + os.sep) and os.access(program, os.X_OK), f"program: {program}")
        for m in MEDIA:
            check(os.path.isfile(os.path.join(folder, m)), f"{m} is not beside the program")
        built = sorted(os.listdir(os.path.join(build, "pictures")))
        installed = sorted(os.listdir(os.path.join(folder, "pictures")))
        check(built and installed == built, f"pictures: {installed} vs {built}")

        # The icon in the hicolor theme, each picture the size its folder names.
        icon = e.get("Icon", "")
        check(icon and "/" not in icon, f"Icon={icon}")
        hicolor = os.path.join(usr, "share", "icons", "hicolor")
        sizes = []
        for d in os.listdir(hicolor):
            path = os.path.join(hicolor, d, "apps", icon + ".png")
            if os.path.exists(path):
                n = int(d.split("x")[0])
                check(png_size(path) == (n, n), f"{path} is {png_size(path)}")
                sizes.append(n)
        check(48 in sizes, f"icon sizes: {sorted(sizes)}")

        # The sanitizer build's leak report is not wanted here.
        env = {"PATH": bindir + os.pathsep + os.environ.get("PATH", ""),
               "ASAN_OPTIONS": os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=0"}
        with Program(command[0], xs, env) as p:
            p.folder = folder
            t = p.wait_window(TITLE_SIZE, timeout=20)
            check(t.caption == CAPTION, f"caption {t.caption!r}")
            p.wait_picture(TITLE_SIZE, "title_bg", 0, 0)
            p.close_and_expect_exit(t)
            check(p.stderr() == "", f"stderr:\n{p.stderr()}")
    finally:
        shutil.rmtree(stage, ignore_errors=True)


def valgrind_session(exe, xs):
    """Title, level menu, janken, one move each and the close, under memcheck:
    no error and nothing definitely lost. Everything runs a few times slower
    under valgrind, hence the long waits."""
    work = tempfile.mkdtemp(prefix="patapata_valgrind_")
    log_path = os.path.join(work, "memcheck.log")
    # valgrind turns into the program, so the windows carry the pid started.
    wrapper = os.path.join(work, "patapata")
    command = [os.environ.get("VALGRIND", "valgrind"), "--error-exitcode=1", "--leak-check=full",
               "--errors-for-leak-kinds=definite", "--num-callers=40", "--suppressions=" + SUPPRESSIONS,
               "--log-file=" + log_path, os.path.abspath(exe)]
    with open(wrapper, "w") as f:
        f.write("#!/bin/sh\nexec " + shlex.join(command) + "\n")
    os.chmod(wrapper, 0o755)
    passed = False
    try:
        with Program(wrapper, xs) as p:
            p.folder = os.path.dirname(os.path.abspath(exe))
            t = wait_for("the title window", lambda: check(p.alive(), "the program ended at once")
                         or p.window(TITLE_SIZE), 90)
            p.wait_picture(TITLE_SIZE, "title_bg", 0, 0, timeout=30)
            p.click(t, 100, 100)
            p.wait_picture(TITLE_SIZE, "menu2", *MENU_AT, timeout=30)
            p.click(t, *centre(MENU_LINES[0]))
            g = wait_janken(p, timeout=60)
            p.click(g, *centre(HANDS[0]))
            user = wait_for("the janken result", lambda: next(
                (c for c, name in ((BLACK, "stone_black"), (WHITE, "stone_white"))
                 if p.shows(g, name, *ICO_AT)), None), 30)
            p.move(g, *cell_centre(0))  # the cursor tells the user's turn
            board = wait_users_turn(p, g, user, timeout=90)
            stones = 64 - count(board, EMPTY)
            p.click(g, *cell_centre(legal_cells(board, user)[0]))
            wait_for("the CPU's reply", lambda: (lambda b: None not in b.values() and
                                                 64 - count(b, EMPTY) >= stones + 2)(
                read_board(p, p.shot(g))), 90)
            p.close(g)
            status = p.wait_exit(120)
            with open(log_path, encoding="utf-8", errors="replace") as f:
                report = f.read()
            check(status == 0, f"exit status {status}; stderr:\n{p.stderr()}\nmemcheck:\n{report}")
            passed = True
    finally:
        if passed:
            shutil.rmtree(work, ignore_errors=True)
        else:
            log(f"kept {work}")


if __name__ == "__main__":
    run_case({"installation": installation, "valgrind_session": valgrind_session}, sys.argv)
