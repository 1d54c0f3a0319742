# Sourced by run.sh and test.sh: installs the Debian packages that are missing,
# then configures and builds Dotpress into build/.
# Usage: dotpress_setup [extra Debian packages...]

DOTPRESS_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DOTPRESS_BUILD="${DOTPRESS_BUILD:-$DOTPRESS_ROOT/build}"

DOTPRESS_PACKAGES=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev libgl-dev
    libjpeg62-turbo-dev libpng-dev libgif-dev libqt6svg6 qt6-image-formats-plugins
    libgtest-dev libgmock-dev
    fonts-liberation
    xvfb xauth x11-utils xdotool imagemagick netpbm python3-pil
    z80asm as31 python3-luma.oled
    desktop-file-utils appstream man-db groff-base file dpkg-dev
)

dotpress_missing_packages() {
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || echo "$pkg"
    done
}

dotpress_install() {
    local missing
    missing=$(dotpress_missing_packages "$@")
    [ -z "$missing" ] && return 0
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    echo "Installing: $missing"
    $sudo apt-get update -qq
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
}

# dotpress_build BUILD_DIR [cmake options...]
dotpress_build() {
    local dir="$1"
    shift
    cmake -S "$DOTPRESS_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" --parallel "$(nproc)"
}

dotpress_setup() {
    dotpress_install "${DOTPRESS_PACKAGES[@]}" "$@"
    dotpress_build "$DOTPRESS_BUILD"
}
