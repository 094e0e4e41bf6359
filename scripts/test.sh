#!/usr/bin/env bash
# Sets up and builds ミルテ (scripts/setup.sh), then runs every test. The
# tests start their own mail servers on loopback and stop them again.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600
