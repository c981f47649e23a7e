#!/usr/bin/env bash
# The release archives, as the test command checks them: one archive per system is packed from
# the test command's own builds, which carry the release's flags (build: Linux x86-64-v2,
# build-windows, build-arm64), into build-packages/ with its SHA256SUMS, and each is checked as a
# user meets it (tests/release/check_archive.sh); so are the two Debian packages of the Linux
# builds, through lintian among others (tests/release/check_deb.sh). Then every x86-64 level
# runs under qemu on the oldest processor its name promises and refuses the one below
# (tests/release/check_levels.sh); the levels that build/ is not are built for that in
# build-levels/.
# The whole release (every archive, the Debian packages, two clones byte for byte alike) is
# tests/release/check_release.sh.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/../.."
. tests/lib.sh
jobs=$(job_count)
started=$SECONDS

for dir in build build-windows build-arm64; do
    if [ "$(package_field "$dir" RELEASE_FLAGS 2>/dev/null)" != ON ]; then
        echo "$dir is not a build with the release's flags (-DKORVANE_RELEASE=ON): run tests/run.sh" >&2
        exit 1
    fi
done
need_command zip zip
need_command unzip unzip
need_command qemu-x86_64 qemu-user
need_command lintian lintian
need_command groff groff-base
need_wine
install_needed "Release tests"

rm -rf build-packages
for dir in build build-windows build-arm64; do
    deb=()
    [ "$(package_field "$dir" SYSTEM)" = linux ] && deb=(--deb)
    tools/release/package.sh "${deb[@]}" "$dir" build-packages >/dev/null
done
(cd build-packages && sha256sum -- *.tar.gz *.zip *.deb >SHA256SUMS)
wine_prefix "$PWD/build-windows/wineprefix"
for archive in build-packages/*.tar.gz build-packages/*.zip; do
    tests/release/check_archive.sh "$archive"
done
for deb in build-packages/*.deb; do
    tests/release/check_deb.sh "$deb"
done

level_dirs=()
for level in x86-64 x86-64-v2 x86-64-v3; do
    if [ "$(package_field build LEVEL)" = "$level" ]; then
        level_dirs+=(build)
        continue
    fi
    cmake -S . -B "build-levels/$level" -DCMAKE_BUILD_TYPE=Release -DKORVANE_RELEASE=ON -DKORVANE_TESTS=OFF \
        -DKORVANE_PGO=OFF -DKORVANE_WERROR=ON -DKORVANE_ARCH=$level >/dev/null
    cmake --build "build-levels/$level" -j "$jobs" --target korvane korvane-bench >/dev/null
    level_dirs+=("build-levels/$level")
done
tests/release/check_levels.sh "${level_dirs[@]}"
echo "Release tests: passed in $((SECONDS - started)) s"
