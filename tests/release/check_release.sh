#!/usr/bin/env bash
# The whole release, checked: tools/release.sh runs in two fresh clones of the commit checked
# out here, and the two dist/ folders must be byte for byte the same. Then every archive is
# checked as its user meets it (tests/release/check_archive.sh), and so is each Debian package,
# through lintian among others (tests/release/check_deb.sh); the three Linux x86-64 levels run
# on their oldest processors under qemu and refuse the one below (tests/release/check_levels.sh);
# and the source archive, unpacked where no git can be run, builds with the README's first
# command into an engine with the archives' "uci" reply.
#   tests/release/check_release.sh
# Takes about ten minutes (eight measured here): two whole releases and the source archive are built.
set -euo pipefail
export LC_ALL=C
repo=$(cd "$(dirname "$0")/../.." && pwd)
. "$repo/tests/lib.sh"
need_wine
need_command qemu-x86_64 qemu-user
need_command unzip unzip
need_command lintian lintian
need_command groff groff-base
install_needed "Release check"
commit=$(git -C "$repo" rev-parse HEAD)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/korvane-release-check.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

for clone in first second; do
    git clone --quiet --no-local "$repo" "$scratch/$clone"
    git -C "$scratch/$clone" checkout --quiet "$commit"
    "$scratch/$clone/tools/release.sh" >"$scratch/$clone.log" 2>&1 ||
        { cat "$scratch/$clone.log" >&2; exit 1; }
done
(cd "$scratch/first/dist" && sha256sum -- *) >"$scratch/first.sums"
(cd "$scratch/second/dist" && sha256sum -- *) >"$scratch/second.sums"
if ! diff "$scratch/first.sums" "$scratch/second.sums"; then
    echo "two releases of $commit differ" >&2
    exit 1
fi
dist=$scratch/first/dist
echo "Two clones gave the same release:"
cat "$scratch/first.sums"

# The version the commit's build gives itself: a configured (not built) folder of the first clone.
cmake -S "$scratch/first" -B "$scratch/configured" -DKORVANE_TESTS=OFF >/dev/null
version=$(package_field "$scratch/configured" VERSION)
source_archive=$dist/korvane-$version.tar.gz
archives=()
for archive in "$dist"/*.tar.gz "$dist"/*.zip; do
    [ "$archive" = "$source_archive" ] || archives+=("$archive")
done
[ -f "$source_archive" ] || { echo "no source archive korvane-$version.tar.gz" >&2; exit 1; }
[ ${#archives[@]} -eq 7 ] || { echo "expected 7 archives of programs" >&2; exit 1; }
[ "$(ls "$dist"/*.deb | wc -l)" -eq 2 ] || { echo "expected 2 Debian packages" >&2; exit 1; }

wine_prefix "$scratch/wineprefix"
for archive in "${archives[@]}"; do
    "$repo/tests/release/check_archive.sh" "$archive"
done
for deb in "$dist"/*.deb; do
    "$repo/tests/release/check_deb.sh" "$deb"
done

levels=$scratch/levels
for level in x86-64 x86-64-v2 x86-64-v3; do
    mkdir -p "$levels"
    tar -xzf "$dist/korvane-$version-linux-$level.tar.gz" -C "$levels"
done
"$repo/tests/release/check_levels.sh" "$levels/korvane-$version-linux-"{x86-64,x86-64-v2,x86-64-v3}

# The source archive: its checksum, one folder, and the README's first command run in it (its
# output aside, and "uci" typed), with a git that fails if the build ever calls it.
(cd "$dist" && grep -F " $(basename "$source_archive")" SHA256SUMS | sha256sum --quiet -c -)
mkdir "$scratch/source" "$scratch/no-git"
printf '#!/bin/sh\necho "git called by the build of the source archive" >&2\nexit 1\n' >"$scratch/no-git/git"
chmod +x "$scratch/no-git/git"
tar -xzf "$source_archive" -C "$scratch/source"
[ "$(ls -A "$scratch/source")" = "korvane-$version" ] || { echo "the source archive is not one folder korvane-$version" >&2; exit 1; }
reply=$(cd "$scratch/source/korvane-$version" && export PATH="$scratch/no-git:$PATH" &&
    { cmake -S . -B build && cmake --build build -j; } >"$scratch/source.log" 2>&1 &&
    printf 'uci\nquit\n' | timeout -k 5 60 ./build/korvane) || { cat "$scratch/source.log" >&2; exit 1; }
[ "$reply" = "$(expected_uci_reply "$version")" ] || { echo "the source archive's engine answers:"$'\n'"$reply" >&2; exit 1; }
if grep -q 'git called' "$scratch/source.log"; then cat "$scratch/source.log" >&2; exit 1; fi
echo "korvane-$version.tar.gz: one folder, builds with the README's first command, its engine answers \"uci\""
echo "Release of $commit checked"
