#!/usr/bin/env bash
# Installs the Debian packages Quilto needs, skipping those already installed.
# Usage: scripts/install-deps.sh [build|run|package|test]   (run adds what a user needs to
# open and print the filled workbooks, package what building and checking the Debian package
# needs, test what the tests need: the tests build and check the package too)
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-pdf-dev libgl-dev
    nlohmann-json3-dev
    libdeflate-dev libpugixml-dev libcups2-dev libxlsxwriter-dev
    fonts-ipafont-gothic fonts-ipafont-mincho
    # Qt's own dialogs (file chooser, standard buttons) speak Japanese with these.
    qt6-translations-l10n
)
if [[ "${1:-build}" == run ]]; then
    # A desktop user opens the filled workbooks, the manual and mail through the desktop's
    # opener, and the workbooks in LibreOffice Calc with its window. The headless build
    # (libreoffice-calc-nogui, which the tests use) converts and prints but opens nothing,
    # so it is replaced by the windowed one; an installed windowed LibreOffice is kept.
    packages+=(xdg-utils)
    if ! dpkg-query -W -f='${Status}' libreoffice-calc 2>/dev/null | grep -q 'install ok installed' &&
        ! [[ -e /usr/share/applications/libreoffice-calc.desktop ]]; then
        packages+=(libreoffice-calc)
    fi
fi
if [[ "${1:-build}" == test ]]; then
    packages+=(
        googletest libgtest-dev libgmock-dev libbenchmark-dev
        xvfb xauth x11-apps
        clang libclang-rt-14-dev
        cups printer-driver-cups-pdf libreoffice-calc-nogui python3-openpyxl python3-uno
        poppler-utils ccache
        dosfstools
    )
fi

if [[ "${1:-build}" == package || "${1:-build}" == test ]]; then
    # The manual page is made from quilto-cli's help, the icon's bitmaps from its SVG;
    # CPack asks dpkg-shlibdeps for the libraries' packages; the rest check the result.
    packages+=(help2man librsvg2-bin dpkg-dev file lintian desktop-file-utils appstream)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=900 update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=900 \
        install -y -qq --no-install-recommends "${missing[@]}"
fi
