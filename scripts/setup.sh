# Sourced by run.sh and test.sh: installs the Debian packages that are missing,
# then configures and builds Dotpress into build/.
#   dotpress_setup          what building, running and packaging the programs
#                           need, and the programs alone (run.sh)
#   dotpress_setup_tests    that, the test tools, and the tests (test.sh)

DOTPRESS_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DOTPRESS_BUILD="${DOTPRESS_BUILD:-$DOTPRESS_ROOT/build}"

# Building, running and packaging (cmake --build build --target package).
DOTPRESS_PACKAGES=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev libgl-dev zlib1g-dev
    libjpeg62-turbo-dev libpng-dev libgif-dev libfreetype-dev libqt6svg6 qt6-image-formats-plugins
    fonts-liberation
    file dpkg-dev
)

# The tests' own tools and real clients: GoogleTest, a display, picture
# tools, assemblers, OLED driver, fonts, cross compilers and a simulator.
DOTPRESS_TEST_PACKAGES=(
    libgtest-dev libgmock-dev
    xvfb xauth x11-utils xdotool imagemagick netpbm python3-pil gifsicle
    z80asm as31 python3-luma.oled
    xfonts-base xfonts-unifont fonts-spleen fonts-dejavu-core pcf2bdf python3-freetype
    gcc-avr avr-libc simavr gcc-arm-none-eabi libnewlib-arm-none-eabi
    desktop-file-utils appstream man-db groff-base
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

# The programs alone: no test is built, so no test tool is needed.
dotpress_setup() {
    dotpress_install "${DOTPRESS_PACKAGES[@]}" "$@"
    dotpress_build "$DOTPRESS_BUILD" -DBUILD_TESTING=OFF
}

dotpress_setup_tests() {
    dotpress_install "${DOTPRESS_PACKAGES[@]}" "${DOTPRESS_TEST_PACKAGES[@]}" "$@"
    dotpress_build "$DOTPRESS_BUILD" -DBUILD_TESTING=ON
}
