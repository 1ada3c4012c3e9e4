#!/usr/bin/env bash
# Installs what is missing, builds Pencora and starts it on the bundled sample course.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh release
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Pencora is a desktop program and there is no display here (neither DISPLAY nor"
  echo "WAYLAND_DISPLAY is set). Start it from a graphical session, or under a virtual one:"
  echo "  xvfb-run -s '-screen 0 1280x800x24' build/src/app/pencora"
  exit 1
fi
exec build/src/app/pencora
