# Shared by the scripts in this folder: package installation and build folders.
# Source it; it defines functions only.

QUILLMOOR_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The Debian packages every native build needs.
# Qt 6 Widgets for the windows (with its offscreen platform for the tests); fonts-wine: Wine's
# Tahoma, the windows' font on Linux; fonts-dejavu-core: the font where Tahoma is missing;
# python3 and openssl for the translation widget's stand-in.
QUILLMOOR_BUILD_PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev googletest
                          libbenchmark-dev nlohmann-json3-dev clang-format qt6-base-dev
                          fonts-wine fonts-dejavu-core python3 openssl)

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

# check_format : fails, naming the files, when a tracked C++ file differs from .clang-format.
check_format() {
    (cd "$QUILLMOOR_ROOT" && git ls-files -z '*.h' '*.cpp' | xargs -0 clang-format --dry-run --Werror)
}

# configure_and_build DIR [cmake options...] : configures DIR with Ninja (once) and builds it.
configure_and_build() {
    local dir=$1
    shift
    cmake -S "$QUILLMOOR_ROOT" -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir"
}

# can_run_32bit_programs : true when this machine's kernel runs 32-bit x86 programs (some
# machines of the same kind do, some refuse them with "Exec format error"). Asks by running a
# 93-byte static 32-bit program that does nothing but exit with code 42.
can_run_32bit_programs() {
    local probe status=0
    probe=$(mktemp "${TMPDIR:-/tmp}/quillmoor-probe32.XXXXXX")
    # ELF header, one loadable segment, then: xor ebx,ebx; mov bl,42; xor eax,eax; inc eax;
    # int 0x80 (the system call exit(42)).
    printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'`
          `'\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'`
          `'\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'`
          `'\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08'`
          `'\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00'`
          `'\x00\x10\x00\x00\x31\xdb\xb3\x2a\x31\xc0\x40\xcd\x80' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    [ "$status" -eq 42 ]
}

# emulates_32bit_programs : true when 32-bit x86 programs run here only through a handler
# registered with binfmt_misc for their ELF header (qemu-i386, for one): they run, but many
# times slower, and an emulator carries faults of its own. A kernel that runs them itself
# needs no such handler.
emulates_32bit_programs() {
    local handler
    for handler in /proc/sys/fs/binfmt_misc/*; do
        case "$(basename "$handler")" in register | status) continue ;; esac
        [ -r "$handler" ] || continue
        if grep -qx enabled "$handler" &&
            grep -q '^magic 7f454c4601010100000000000000000002000300' "$handler"; then
            return 0
        fi
    done
    return 1
}
