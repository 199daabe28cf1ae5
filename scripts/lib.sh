# Shared by the scripts: where things are, and installing what is missing.
ORVANTO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ORVANTO_JOBS=${ORVANTO_JOBS:-2}

say() { printf '\033[1m==> %s\033[0m\n' "$*" >&2; }

# ensure_packages FILE...: installs the packages named in the files that are
# not installed yet; "apt-get update" runs once, and only when something is missing.
ensure_packages() {
    local missing=() package
    for package in $(grep -hv '^\s*#' "$@" | tr -s ' \t' '\n' | sort -u); do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    say "Installing missing packages: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# configure_and_build DIR CMAKE-ARGS... [-- TARGETS...]
configure_and_build() {
    local dir=$1; shift
    local args=() targets=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do args+=("$1"); shift; done
    [ "${1:-}" = "--" ] && shift && targets=("$@")
    # A compiler cache, where the machine has one, makes a rebuild of an
    # unchanged file free, across build folders and clones alike.
    if command -v ccache >/dev/null 2>&1; then
        args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        # The build precompiles Qt's headers; ccache caches the files that use
        # them only when told to ignore the header's time stamps.
        local sloppiness
        sloppiness=$(ccache -k sloppiness 2>/dev/null | tr -d ' ')
        if [[ $sloppiness != *pch_defines* || $sloppiness != *time_macros* ]]; then
            export CCACHE_SLOPPINESS="${sloppiness:+$sloppiness,}pch_defines,time_macros"
        fi
    fi
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$ORVANTO_ROOT" -B "$dir" -G Ninja "${args[@]}" >/dev/null
    fi
    if [ ${#targets[@]} -gt 0 ]; then
        cmake --build "$dir" -j "$ORVANTO_JOBS" --target "${targets[@]}"
    else
        cmake --build "$dir" -j "$ORVANTO_JOBS"
    fi
}
