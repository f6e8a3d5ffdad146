#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests, the demo and the package need. Does
# nothing (and needs no network) when they are all present.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  ccache                  # rebuilds reuse what was compiled before
  qt6-base-dev            # Qt Widgets, PrintSupport, Network, DBus and Test (Qt6Test comes with it)
  dbus-daemon             # the private session bus of the input-mode tests
  libmariadb-dev          # the client library the program talks through
  libsodium-dev           # signatures of downloaded programs
  libssl3                 # https: Qt's TLS back end loads it
  openssl                 # the TLS and server-list tests make their certificates with it
  qtkeychain-qt6-dev libsecret-1-0   # the desktop's secret store (QtKeychain loads libsecret)
  gnome-keyring           # a real secret store on the private bus of the login tests
  mariadb-server mariadb-client   # the private server of the demo and the tests
  galera-4 rsync          # the three-node cluster of the cluster tests and the cluster demo
  fonts-nanum             # Hangul glyphs for the offscreen and Xvfb screens
  poppler-utils           # pdftotext and pdfinfo: the print tests read their PDFs back
  libgtest-dev googletest
  libxlsxwriter-dev       # spreadsheet export
  python3-openpyxl        # the export tests read the written files back with it
  xvfb xauth imagemagick  # a virtual screen and screenshots, to look at windows without a display
  fcitx5 fcitx5-hangul fcitx5-frontend-qt6   # the input method the input-mode tests drive
  xdotool                 # real key presses on the test screen, through the input method
  iproute2                # ss and ip, used by the scripts
  dpkg-dev file           # the package's library dependencies (dpkg-shlibdeps; file finds the programs)
  lintian                 # checks the Debian package
  desktop-file-utils appstream   # check the package's desktop entry and AppStream file
)

missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    SUDO=(sudo)
  else
    echo "install-deps: missing ${missing[*]}; run as root or install sudo" >&2
    exit 1
  fi
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
# mariadb-server's post-install may start the system service; nothing here relies on it.
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
  -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold "${missing[@]}"
