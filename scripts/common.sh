# Shared by scripts/run, scripts/test and scripts/package: install what is missing,
# then build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="$ROOT/build"

PACKAGES=(
    cmake g++ make pkg-config
    qt6-base-dev libgl-dev
    libreoffice-writer libreoffice-dev catdoc
    libpoppler-qt6-dev libcsv-dev libpaper-dev libicu-dev
    fonts-liberation2 fonts-dejavu-core
)

# What CPack's Debian generator runs: dpkg-shlibdeps, and file to find the binaries.
PACKAGING_PACKAGES=(dpkg-dev file)

# Checkers of the desktop entry, the AppStream metadata and the package; a private
# X server with a window manager, and the tools that type, click and read titles
# and the clipboard there, for the tests a real display is needed for; independent
# readers of the saved formats; and LibreOffice Calc, which reads a batch's
# spreadsheet tables; zip packs the test templates that hold charts.
TEST_TOOL_PACKAGES=(
    desktop-file-utils appstream lintian
    xvfb openbox xdotool x11-utils xclip
    docx2txt odt2txt poppler-utils unzip zip
    libreoffice-calc
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}

# install_missing_packages [PACKAGE...]: the given packages, by default PACKAGES.
install_missing_packages() {
    local wanted=("$@") missing=()
    [ "${#wanted[@]}" -gt 0 ] || wanted=("${PACKAGES[@]}")
    for package in "${wanted[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    if [ "${#missing[@]}" -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
    fi
}

# build [TARGET]: that target (and what it needs) only, by default everything.
build() {
    cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release
    cmake --build "$BUILD_DIR" -j"$(nproc)" ${1:+--target "$1"}
}
