# Shared by the scripts in this folder: package installation and build folders.
# Source it; it defines functions only.

QUILLMOOR_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The Debian packages every native build needs.
QUILLMOOR_BUILD_PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev googletest
                          libbenchmark-dev nlohmann-json3-dev)

# What the window program needs to build and run on Linux: the toolkit, the system's
# Chromium (driven by our engine library), and for its end-to-end test the widget's
# stand-in (python3, openssl).
QUILLMOOR_PROGRAM_PACKAGES=(qt6-base-dev chromium python3 openssl)

# ensure_packages PKG... : apt-get installs the packages that are not installed yet.
ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# ensure_i386_architecture : lets apt install 32-bit packages (Wine's 32-bit half).
ensure_i386_architecture() {
    dpkg --print-foreign-architectures | grep -qx i386 && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" dpkg --add-architecture i386
    "${sudo[@]}" apt-get update -qq
}

# configure_and_build DIR [cmake options...] : configures DIR with Ninja (once) and builds it.
configure_and_build() {
    local dir=$1
    shift
    cmake -S "$QUILLMOOR_ROOT" -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir"
}
