#!/usr/bin/env bash
# Installs what is missing, builds the game twice (plain, and with
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs every test of both.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh test
export SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for variant in build:OFF build-asan:ON; do
  dir=${variant%%:*}
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPATAPATA_SANITIZE="${variant##*:}" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
done
