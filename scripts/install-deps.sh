#!/usr/bin/env bash
# Installs the Debian packages that Quillivar needs to build, test and run.
# Skips what is present; uses sudo when not root.
set -euo pipefail

#   bash scripts/install-deps.sh           everything: build, test, package
#   bash scripts/install-deps.sh package   only what scripts/package.sh needs
build=(
  g++ cmake make pkg-config
  qt6-base-dev libgl-dev
  libcurl4-openssl-dev
  libsystemd-dev  # sd-bus: the command's desktop notifications
  libcpp-httplib-dev
  librsvg2-bin
)
# dpkg-shlibdeps (dpkg-dev) and file find the package's dependencies.
packaging=(dpkg-dev file)
if [[ ${1:-} == package ]]; then
  packages=("${build[@]}" "${packaging[@]}")
else
  packages=(
    "${build[@]}" "${packaging[@]}"
    googletest libgtest-dev libgmock-dev
    libbenchmark-dev
    clang libclang-rt-dev
    fonts-ipafont-gothic
    desktop-file-utils appstream lintian
    xvfb xauth openbox libx11-dev libxtst-dev
    openssl  # a TLS site whose certificate nobody signed
    dbus-daemon  # a private session bus for the notifications (dbus-run-session)
    systemd      # systemd-analyze checks the user units
    # file system images the tests mount through FUSE (exFAT, FAT)
    exfatprogs exfat-fuse dosfstools fusefat
  )
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
  as_root=()
else
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
