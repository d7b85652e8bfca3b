#!/usr/bin/env bash
# Installs the build into a fresh folder whose name needs quoting, and checks
# the portable folder: the program, its icon, and a desktop entry that
# desktop-file-validate accepts without a remark and that points into it;
# then the systemd user units written for it beside a unit of the user's own.
# Usage: install_test.sh CMAKE BUILD_DIR SOURCE_DIR
set -euo pipefail
cmake=$1
build=$2
source=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folder="$work/My Quillivar"
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

"$cmake" --install "$build" --prefix "$folder" > /dev/null
for program in Quillivar quillivar-refresh; do
  [[ -f $folder/$program && -x $folder/$program ]] || fail "no executable $folder/$program"
done
[[ $(od -An -tx1 -N8 "$folder/quillivar.png" | tr -d ' \n') == 89504e470d0a1a0a ]] ||
  fail "$folder/quillivar.png is no PNG"

entry=$folder/quillivar.desktop
remarks=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $remarks"
[[ -z $remarks ]] || fail "desktop-file-validate: $remarks"
grep -qxF "Exec=\"$folder/Quillivar\"" "$entry" || fail "Exec does not start $folder/Quillivar"
grep -qxF "Icon=$folder/quillivar.png" "$entry" || fail "Icon does not name $folder/quillivar.png"
echo "installed and valid: $(ls "$folder" | tr '\n' ' ')"

# The units, beside a timer of the user's own, which stays as it was.
export HOME=$work/home XDG_RUNTIME_DIR=$work/run
unset XDG_CONFIG_HOME
units=$HOME/.config/systemd/user
mkdir -p "$units" "$XDG_RUNTIME_DIR"
printf '[Timer]\nOnCalendar=daily\n' > "$units/quillivar-refresh.timer"
own=$(cat "$units/quillivar-refresh.timer")
PATH=$(dirname "$cmake"):$PATH bash "$source/scripts/refresh-units.sh" write "$folder" > /dev/null
[[ $(cat "$units/quillivar-refresh.timer") == "$own" ]] || fail "the user's own timer was replaced"
service=$units/quillivar-refresh.service
grep -qxF "ExecStart=\"$folder/quillivar-refresh\" --notify" "$service" || fail "ExecStart: $(cat "$service")"
if command -v systemd-analyze > /dev/null; then
  remarks=$(systemd-analyze --user verify "$service" 2>&1) || fail "systemd-analyze verify: $remarks"
  [[ -z $remarks ]] || fail "systemd-analyze verify: $remarks"
  calendar=$(sed -n 's/^OnCalendar=//p' "$source/data/systemd/quillivar-refresh.timer.in")
  systemd-analyze calendar "$calendar" > /dev/null || fail "OnCalendar=$calendar does not parse"
fi
bash "$source/scripts/refresh-units.sh" remove "$folder" > /dev/null
[[ ! -e $service && $(cat "$units/quillivar-refresh.timer") == "$own" ]] ||
  fail "the uninstall did not remove only its own unit"
echo "units written and removed beside the user's own timer"
