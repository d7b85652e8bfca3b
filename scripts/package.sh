#!/usr/bin/env bash
# Builds the Debian package for every user of the machine:
#   bash scripts/package.sh [--host HOST[:PORT]] [--out DIR] [--homepage URL]
# The quote site's host is compiled in: default, what the build folder was
# configured with (as the install script keeps it). The package is named
# after the Debian release it is built on; it goes to DIR (default: the top
# of the project).
set -euo pipefail
cd "$(dirname "$0")/.."

host=
out=$PWD
homepage=
while (($# > 0)); do
  case $1 in
    --host) host=${2:?--host needs HOST[:PORT]}; shift 2 ;;
    --host=*) host=${1#--host=}; shift ;;
    --out) out=${2:?--out needs a folder}; shift 2 ;;
    --out=*) out=${1#--out=}; shift ;;
    --homepage) homepage=${2:?--homepage needs an https:// address}; shift 2 ;;
    --homepage=*) homepage=${1#--homepage=}; shift ;;
    *) echo "usage: $0 [--host HOST[:PORT]] [--out DIR] [--homepage URL]" >&2; exit 64 ;;
  esac
done
if [[ -z $host ]]; then
  host=$(sed -n 's/^QUILLIVAR_QUOTE_HOST:STRING=//p' build/CMakeCache.txt 2> /dev/null || true)
fi
# Without one, the sample site: -U drops what an earlier package was built with.
host_option=(-UQUILLIVAR_QUOTE_HOST)
[[ -n $host ]] && host_option=("-DQUILLIVAR_QUOTE_HOST=$host")

bash scripts/install-deps.sh package

# Debian's own hardening and optimisation flags, as a package built by
# dpkg-buildpackage would have them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
# Whoever hands the package out may name themselves as its maintainer, as
# Debian's own tools read it; -U drops what an earlier package named.
maintainer_option=(-UQUILLIVAR_MAINTAINER)
if [[ -n ${DEBFULLNAME:-} && -n ${DEBEMAIL:-} ]]; then
  maintainer_option=("-DQUILLIVAR_MAINTAINER=$DEBFULLNAME <$DEBEMAIL>")
fi
# So is the project's home page, which the project has not yet; -U as above.
homepage_option=(-UQUILLIVAR_HOMEPAGE)
[[ -n $homepage ]] && homepage_option=("-DQUILLIVAR_HOMEPAGE=$homepage")
build=build-package
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUILLIVAR_DEFAULT_FOLDER=data \
  -DQUILLIVAR_BUILD_TESTS=OFF "${host_option[@]}" "${maintainer_option[@]}" "${homepage_option[@]}" \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" > /dev/null
cmake --build "$build" -j "$(nproc)"
(cd "$build" && rm -f ./*.deb && cpack -G DEB > /dev/null)

deb=$(ls "$build"/quillivar_*.deb)
mkdir -p "$out"
cp "$deb" "$out/"
built_host=$(sed -n 's/^QUILLIVAR_QUOTE_HOST:STRING=//p' "$build/CMakeCache.txt")
echo "$out/$(basename "$deb"): speaks to the quote site $built_host"
