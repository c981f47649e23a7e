# shellcheck shell=bash
# The steps the test and tool scripts share. Sourced, never run:
#   . "$repo/tests/lib.sh"
# It sets no shell options and changes no folder: each script keeps its own `set -euo pipefail`.

# --- Debian's packages -------------------------------------------------------------------------
# A script names what it needs (need, need_command, need_file, need_gtest, need_wine), then calls
# install_needed once; a machine that has everything installs nothing.
korvane_needed=()

# need PACKAGE...: install these.
need() { korvane_needed+=("$@"); }

# need_command COMMAND PACKAGE...: install the packages when COMMAND is not on the path.
need_command() { command -v "$1" >/dev/null 2>&1 || need "${@:2}"; }

# need_file FILE PACKAGE...: install the packages when FILE is missing.
need_file() { [ -e "$1" ] || need "${@:2}"; }

# GoogleTest: the library and its header for a native build, and its sources, which a cross build
# (Windows, ARM64) compiles for its own target. libgtest-dev brings both.
need_gtest() {
    need_file /usr/include/gtest/gtest.h libgtest-dev
    need_file /usr/src/googletest/CMakeLists.txt googletest libgtest-dev
}

# wine: "wine" is the launcher, "wine64" the 64-bit loader that runs a Windows x86-64 program.
need_wine() {
    need_command wine wine
    need_file /usr/lib/wine/wine64 wine64
}

# install_needed WHO: installs what was named since the last call, each package once, and says
# what it installed and how long that took. The package lists are fetched once for a script and
# the scripts it starts; the package lock, held by another install, is waited for.
install_needed() {
    local who=$1 started=$SECONDS packages
    [ ${#korvane_needed[@]} -gt 0 ] || return 0
    mapfile -t packages < <(printf '%s\n' "${korvane_needed[@]}" | sort -u)
    korvane_needed=()
    if [ -z "${KORVANE_APT_UPDATED:-}" ]; then
        apt-get -o DPkg::Lock::Timeout=600 update
        export KORVANE_APT_UPDATED=1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "${packages[@]}"
    echo "$who: installed ${packages[*]} in $((SECONDS - started)) s"
}

# --- Builds ------------------------------------------------------------------------------------
# job_count: how many compile or test jobs to run at once, one a core.
job_count() { nproc 2>/dev/null || echo 2; }

# package_field BUILD_DIR NAME: a value that CMake wrote into the build folder's package.env
# (VERSION, SYSTEM, LEVEL, RELEASE_FLAGS ...); fails when the folder is not configured or has none.
package_field() {
    local file=$1/package.env value
    [ -f "$file" ] || { echo "$1 is not a configured build folder (no package.env)" >&2; return 1; }
    value=$(sed -n "s/^$2=//p" "$file")
    [ -n "$value" ] || { echo "$file has no $2" >&2; return 1; }
    echo "$value"
}

# expected_uci_reply VERSION: what a release's engine of that version answers to "uci", from its
# banner on.
expected_uci_reply() {
    printf '%s\n' "Korvane $1 by Merevik Tavo" "id name Korvane $1" "id author Merevik Tavo" \
        "option name Hash type spin default 32 min 32 max 2048" "uciok"
}

# --- wine --------------------------------------------------------------------------------------
# wine_prefix DIR: a wine prefix of its own in DIR (absolute), set up without any window, and the
# environment that runs Windows programs in it quietly (no Mono or Gecko installer) exported.
wine_prefix() {
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    # wineboot may return before the wine server has written the registry: wait for the server.
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        timeout -k 10 300 wineboot -i >/dev/null 2>&1 || true
        timeout -k 10 300 wineserver -w || true
    fi
    [ -f "$WINEPREFIX/system.reg" ] || { echo "wineboot did not set up $WINEPREFIX" >&2; return 1; }
}

# --- Measures ----------------------------------------------------------------------------------
# bench_line: reads korvane-bench's output (a Windows one's too) and prints the node total and
# the nodes per second of its "Bench: N nodes S nps" line; fails when there is none.
bench_line() {
    tr -d '\r' | awk '/^Bench: [0-9]+ nodes/ { line = $2 " " $4 } END { if (line == "") exit 1; print line }'
}

# median [FORMAT]: the median of the numbers on standard input, one a line, printed with the
# printf format given (default: a whole number).
median() {
    sort -g | awk -v fmt="${1:-%.0f}" '{ v[NR] = $1 }
        END { if (NR == 0) exit 1; printf fmt "\n", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# --- Two builds side by side -------------------------------------------------------------------
# two_operands USAGE COUNT: the comparing tools take exactly two builds after their options;
# prints USAGE and exits 2 otherwise.
two_operands() {
    [ "$2" -eq 2 ] && return 0
    echo "$1" >&2
    exit 2
}

# build_of WHAT NAME WORK PROGRAM [TARGET...]: the absolute path of PROGRAM for WHAT, which is
# either such a program or a git commit. A commit is exported into WORK/NAME and built there as
# Release, PROGRAM and the TARGETs beside it; anything else exits 2.
build_of() {
    local what=$1 name=$2 work=$3 program=$4 repo commit
    shift 4
    if [ -f "$what" ] && [ -x "$what" ]; then
        (cd "$(dirname "$what")" && echo "$(pwd)/$(basename "$what")")
        return
    fi
    repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    commit=$(git -C "$repo" rev-parse --verify "$what^{commit}") || {
        echo "$what is neither an executable nor a commit" >&2
        exit 2
    }
    mkdir -p "$work/$name/src"
    git -C "$repo" archive "$commit" | tar -x -C "$work/$name/src"
    echo "building $name = $commit" >&2
    cmake -S "$work/$name/src" -B "$work/$name/build" -DCMAKE_BUILD_TYPE=Release -DKORVANE_TESTS=OFF >/dev/null
    cmake --build "$work/$name/build" -j "$(job_count)" --target "$program" "$@" >/dev/null
    echo "$work/$name/build/$program"
}
