#!/usr/bin/env bash
# Installs the Debian packages the game needs ("run") or its tests need too
# ("test"), skipping what is already there.
set -euo pipefail
want=(build-essential cmake pkg-config libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev
      libsdl2-mixer-dev libfluidsynth-dev libglib2.0-dev libfontconfig-dev libx11-dev librsvg2-bin
      fonts-ipafont-gothic timgm6mb-soundfont)
if [ "${1:-run}" = test ]; then
  want+=(libgtest-dev libbenchmark-dev xvfb xauth xdotool x11-utils imagemagick python3-xlib valgrind desktop-file-utils
         openbox metacity fluxbox)
fi
missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
