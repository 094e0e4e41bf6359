#!/usr/bin/env bash
# Sets up and builds ミルテ (scripts/setup.sh), then starts the desktop
# program. Its files (MyData.dat, RvData.dat, log.txt) live in the directory
# it is started from: here ~/.local/share/mirte.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
bash "$top/scripts/setup.sh"
workdir="$HOME/.local/share/mirte"
mkdir -p "$workdir"
cd "$workdir"
exec "$top/build/shell/mirte" "$@"
