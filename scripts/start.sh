#!/usr/bin/env bash
# Installs what is needed, builds, starts the sample quote site on
# 127.0.0.1:8931 and then Quillivar; the site stops when Quillivar ends.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "Quillivar needs a graphical display, and none is set (DISPLAY / WAYLAND_DISPLAY)." >&2
  exit 1
fi

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLIVAR_DEFAULT_FOLDER=program > /dev/null
cmake --build build -j "$(nproc)" --target Quillivar quillivar-sample-site

# Without a settings file every box starts cleared and a run finds nothing;
# the sample starts with the file the program itself writes after 初期設定
# and 設定保存: 43 lines "True".
settings=build/bin/UserSetting.dat
if [[ ! -e $settings ]]; then
  for _ in {1..43}; do printf 'True\r\n'; done > "$settings"
  echo "First run of the sample: wrote $settings with every market and industry selected."
fi

site=$(find build -type f -name quillivar-sample-site -perm -u+x | head -n 1)
"$site" --port 8931 &
site_pid=$!
trap 'kill "$site_pid" 2>/dev/null || true; wait "$site_pid" 2>/dev/null || true' EXIT

build/bin/Quillivar
