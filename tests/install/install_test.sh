#!/usr/bin/env bash
# Installs the build into a fresh folder whose name needs quoting, and checks
# the portable folder: the program, its icon, and a desktop entry that
# desktop-file-validate accepts without a remark and that points into it.
# Usage: install_test.sh CMAKE BUILD_DIR
set -euo pipefail
cmake=$1
build=$2

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
