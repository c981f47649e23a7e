#!/usr/bin/env bash
# The whole release, checked: tools/release.sh runs in two fresh clones of the commit checked
# out here, and the two dist/ folders must be byte for byte the same. Then every archive is
# checked as its user meets it (tests/release/check_archive.sh), the Debian packages are
# inspected and their engines answer "uci", and the three Linux x86-64 levels run on their
# oldest processors under qemu and refuse the one below (tests/release/check_levels.sh).
#   tests/release/check_release.sh
# Takes about ten minutes: two whole releases are built.
set -euo pipefail
export LC_ALL=C
repo=$(cd "$(dirname "$0")/../.." && pwd)
. "$repo/tests/lib.sh"
need_wine
need_command qemu-x86_64 qemu-user
need_command unzip unzip
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
[ "$(ls "$dist"/*.tar.gz "$dist"/*.zip | wc -l)" -eq 7 ] || { echo "expected 7 archives" >&2; exit 1; }
[ "$(ls "$dist"/*.deb | wc -l)" -eq 2 ] || { echo "expected 2 Debian packages" >&2; exit 1; }

wine_prefix "$scratch/wineprefix"
for archive in "$dist"/*.tar.gz "$dist"/*.zip; do
    "$repo/tests/release/check_archive.sh" "$archive"
done

# The version the commit's build gives itself: a configured (not built) folder of the first clone.
cmake -S "$scratch/first" -B "$scratch/configured" -DKORVANE_TESTS=OFF >/dev/null
version=$(package_field "$scratch/configured" VERSION)
for deb in "$dist"/*.deb; do
    (cd "$dist" && grep -F " $(basename "$deb")" SHA256SUMS | sha256sum --quiet -c -)
    dpkg-deb --info "$deb"
    dpkg-deb --contents "$deb"
    root=$scratch/root-$(basename "$deb" .deb)
    dpkg-deb -x "$deb" "$root"
    runner=()
    case $deb in *_arm64.deb) runner=(qemu-aarch64) ;; esac
    reply=$(printf 'uci\nquit\n' | timeout -k 5 60 "${runner[@]}" "$root/usr/games/korvane" | sed -n 2p)
    [ "$reply" = "id name Korvane $version" ] || { echo "$(basename "$deb"): engine answers '$reply'" >&2; exit 1; }
    echo "$(basename "$deb"): checksum, fields and contents shown above; its engine answers \"uci\""
done

levels=$scratch/levels
for level in x86-64 x86-64-v2 x86-64-v3; do
    mkdir -p "$levels"
    tar -xzf "$dist/korvane-$version-linux-$level.tar.gz" -C "$levels"
done
"$repo/tests/release/check_levels.sh" "$levels/korvane-$version-linux-"{x86-64,x86-64-v2,x86-64-v3}
echo "Release of $commit checked"
