#!/usr/bin/env bash
# Installs Quillivar into a folder the user owns (default ~/Quillivar) and
# puts it into the desktop's menu; --uninstall takes both away again.
# --timer also writes the systemd user units of quillivar-refresh for that
# folder into ~/.config/systemd/user, without enabling the timer.
#   bash scripts/install-desktop.sh [--timer] [DIR]
#   bash scripts/install-desktop.sh --uninstall [DIR]
# The program keeps brand_code.csv and UserSetting.dat in that folder; the
# uninstall leaves them there, and removes the units --timer wrote for it.
set -euo pipefail
cd "$(dirname "$0")/.."

uninstall=false
timer=false
if [[ ${1:-} == --uninstall ]]; then
  uninstall=true
  shift
elif [[ ${1:-} == --timer ]]; then
  timer=true
  shift
fi
folder=$(realpath -m "${1:-$HOME/Quillivar}")
menu=${XDG_DATA_HOME:-$HOME/.local/share}/applications
link=$menu/quillivar.desktop
# The refresh command's lock file goes too: the program made it, not the user.
installed=(Quillivar quillivar-refresh quillivar.png quillivar.desktop .quillivar-refresh.lock)

if $uninstall; then
  if [[ -L $link && $(readlink "$link") == "$folder/quillivar.desktop" ]]; then
    rm "$link"
  fi
  for file in "${installed[@]}"; do rm -f "$folder/$file"; done
  bash scripts/refresh-units.sh remove "$folder"
  rmdir "$folder" 2> /dev/null || echo "Kept $folder: it holds your files."
  echo "Quillivar removed from $folder and from the menu."
  exit 0
fi

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLIVAR_DEFAULT_FOLDER=program > /dev/null
cmake --build build -j "$(nproc)" --target Quillivar quillivar-refresh
cmake --install build --prefix "$folder" --strip
mkdir -p "$menu"
ln -sfn "$folder/quillivar.desktop" "$link"
if $timer; then bash scripts/refresh-units.sh write "$folder"; fi
echo "Quillivar is installed in $folder and in the desktop's menu."
