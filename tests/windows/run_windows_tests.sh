#!/usr/bin/env bash
# Cross-builds korvane.exe and its tests with MinGW-w64 into build-windows and runs them under
# wine: the unit tests, korvane.exe over Windows pipes (the end-to-end and torture tests and
# the Windows checks), the bench signature, a console session and ten self-play games.
# Installs the cross compiler and wine when they are missing.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/lib.sh
jobs=$(job_count)
started=$SECONDS

need_command x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64-posix
need_wine
need_gtest
install_needed "Windows tests"

cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64.cmake -DKORVANE_RELEASE=ON -DKORVANE_WERROR=ON
cmake --build build-windows -j "$jobs"

# Nothing but Windows' own DLLs: the engine runs on a bare Windows.
for exe in korvane korvane-perft korvane-bench; do
    dlls=$(x86_64-w64-mingw32-objdump -p "build-windows/$exe.exe" | sed -n 's/^\s*DLL Name: //p')
    foreign=$(echo "$dlls" | grep -viE '^(kernel32|msvcrt|advapi32|user32|ntdll|ws2_32|shell32|bcrypt)\.dll$' || true)
    if [ -n "$foreign" ]; then
        echo "$exe.exe imports DLLs that a bare Windows lacks: $foreign" >&2
        exit 1
    fi
    echo "$exe.exe imports: $(echo $dlls)"
done

# A wine prefix of its own in the build tree.
wine_prefix "$PWD/build-windows/wineprefix"

# One test at a time: the end-to-end tests and the games measure answer times.
ctest --test-dir build-windows --output-on-failure -LE games
tests/windows/console_check.sh build-windows
ctest --test-dir build-windows --output-on-failure -V -L games | grep -E "^[0-9]+: " | sed 's/^[0-9]*: //'
echo "Windows tests: passed in $((SECONDS - started)) s"
