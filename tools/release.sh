#!/usr/bin/env bash
# Builds the release of the commit checked out here into dist/:
#   - Linux x86-64 archives at the levels x86-64, x86-64-v2 and x86-64-v3 (.tar.gz),
#   - Windows x86-64 archives at the same three levels (.zip),
#   - a Linux ARM64 archive (armv8-a, .tar.gz),
#   - Debian packages for amd64 (the x86-64-v2 build) and arm64,
#   - the source archive korvane-<version>.tar.gz, the commit's tree as git holds it,
#   - SHA256SUMS over all of them.
#   tools/release.sh
# The source is the commit itself (uncommitted changes are left out), built in dist/work (removed
# at the end) with the build's release flags (KORVANE_RELEASE: static, stripped, no build paths
# or time stamps), so that the same commit gives the same bytes in any clone on a machine of this
# kind (a level the build machine cannot run is built without a profile, and so differs from one
# built where it can). The developer's build folders are not touched. Installs the cross
# compilers and zip when they are missing.
set -euo pipefail
export LC_ALL=C  # file lists in one order whatever the caller's language
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
. tests/lib.sh
jobs=$(job_count)
started=$SECONDS

need_command x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64-posix
need_command aarch64-linux-gnu-g++ g++-aarch64-linux-gnu
need_command zip zip
install_needed Release

commit=$(git rev-parse HEAD)
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$commit")
dist=$repo/dist
work=$dist/work
rm -rf "$dist"
mkdir -p "$work/source"
git archive "$commit" | tar -x -C "$work/source"

# build NAME [CMAKE ARGUMENTS...]: one release build in dist/work/NAME.
build() {
    local name=$1
    shift
    echo "== $name" >&2
    cmake -S "$work/source" -B "$work/$name" -DCMAKE_BUILD_TYPE=Release -DKORVANE_RELEASE=ON \
        -DKORVANE_TESTS=OFF -DKORVANE_WERROR=OFF "$@" >/dev/null
    cmake --build "$work/$name" -j "$jobs" --target korvane korvane-perft korvane-bench >/dev/null
}

windows=(-DCMAKE_TOOLCHAIN_FILE="$work/source/cmake/toolchain-mingw-w64.cmake")
arm64=(-DCMAKE_TOOLCHAIN_FILE="$work/source/cmake/toolchain-aarch64-linux-gnu.cmake")
for level in x86-64 x86-64-v2 x86-64-v3; do
    build "linux-$level" -DKORVANE_ARCH=$level
    "$work/source/tools/release/package.sh" "$work/linux-$level" "$dist" >/dev/null
    build "windows-$level" "${windows[@]}" -DKORVANE_ARCH=$level
    "$work/source/tools/release/package.sh" "$work/windows-$level" "$dist" >/dev/null
done
build linux-arm64 "${arm64[@]}" -DKORVANE_ARCH=armv8-a
"$work/source/tools/release/package.sh" --deb "$work/linux-arm64" "$dist" >/dev/null
"$work/source/tools/release/package.sh" --deb "$work/linux-x86-64-v2" "$dist" >/dev/null
# The source archive: the commit's files in one folder named as the archive, which builds with the
# README's first command and no git.
version=$(package_field "$work/linux-x86-64-v2" VERSION)
git archive --format=tar --prefix="korvane-$version/" "$commit" | gzip -9 -n >"$dist/korvane-$version.tar.gz"

rm -rf "$work"
cd "$dist"
sha256sum -- *.tar.gz *.zip *.deb >SHA256SUMS
echo "Release of $commit in $((SECONDS - started)) s:"
ls -l -- *.tar.gz *.zip *.deb SHA256SUMS
