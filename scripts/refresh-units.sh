#!/usr/bin/env bash
# Writes or removes the systemd user units (quillivar-refresh.service and
# .timer) of a folder install in ${XDG_CONFIG_HOME:-~/.config}/systemd/user,
# for install-desktop.sh. Neither enables the timer. A unit of that name that
# install-desktop.sh did not write is the user's own: it is never touched.
#   bash scripts/refresh-units.sh write|remove FOLDER
set -euo pipefail
cd "$(dirname "$0")/.."
action=$1
folder=$2
units=${XDG_CONFIG_HOME:-$HOME/.config}/systemd/user
marker="# Written by install-desktop.sh"
header="$marker for $folder; it replaces or removes this file."

first_line() { IFS= read -r line < "$1" && printf '%s' "$line"; }
written_by_us() { [[ -f $1 ]] && [[ $(first_line "$1") == "$marker"* ]]; }

if [[ $action == write ]]; then
  fresh=$(mktemp -d)
  trap 'rm -rf "$fresh"' EXIT
  cmake "-DEXECUTABLE=$folder/quillivar-refresh" "-DHEADER=$header" "-DOUTPUT_DIR=$fresh" \
    -P cmake/RefreshUnits.cmake
  mkdir -p "$units"
  for unit in quillivar-refresh.service quillivar-refresh.timer; do
    if [[ -e $units/$unit || -L $units/$unit ]] && ! written_by_us "$units/$unit"; then
      echo "Kept $units/$unit: it is your own."
      continue
    fi
    mv -f "$fresh/$unit" "$units/$unit"
    echo "Wrote $units/$unit"
  done
  echo "To run it on weekdays at 07:30 (Tokyo): systemctl --user daemon-reload && systemctl --user enable --now quillivar-refresh.timer"
elif [[ $action == remove ]]; then
  for unit in quillivar-refresh.service quillivar-refresh.timer; do
    # Only the units of this folder: another folder install keeps its own.
    [[ -f $units/$unit && $(first_line "$units/$unit") == "$header" ]] || continue
    rm -f "$units/$unit"
    wants=$units/timers.target.wants/$unit
    if [[ -L $wants && $(readlink "$wants") == "$units/$unit" ]]; then rm -f "$wants"; fi
    echo "Removed $units/$unit"
  done
else
  echo "usage: refresh-units.sh write|remove FOLDER" >&2
  exit 64
fi
