#!/usr/bin/env bash
# Checks a Debian package of Korvane as a distribution's packager and its user meet it:
#   tests/release/check_deb.sh DEB
# the package's checksum matches the SHA256SUMS beside it; lintian reports no error and no
# warning (the overrides it applies are printed, each with its reason); each manual page renders
# without a warning from groff -ww, as man shows it on a terminal and as PostScript; and the
# engine, unpacked, gives the exact "uci" reply of the package's version (an ARM64 engine under
# qemu-aarch64).
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
. "$repo/tests/lib.sh"
deb=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
name=$(basename "$deb")
fail() {
    echo "$name: $*" >&2
    exit 1
}

(cd "$(dirname "$deb")" && grep -F " $name" SHA256SUMS | sha256sum --quiet -c -) ||
    fail "checksum does not match SHA256SUMS"

# --fail-on none: the exit status then says only whether lintian ran; the tags are read here.
report=$(lintian --show-overrides --fail-on none "$deb" 2>/dev/null) || fail "lintian did not run"
[ -z "$report" ] || echo "$report"
if grep -q '^[EW]:' <<<"$report"; then
    fail "lintian reports errors or warnings"
fi

unpacked=$(mktemp -d "${TMPDIR:-/tmp}/korvane-deb.XXXXXX")
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
pages=("$unpacked"/usr/share/man/man6/*.6.gz)
[ ${#pages[@]} -eq 3 ] || fail "has ${#pages[@]} manual pages in section 6, not 3"
for page in "${pages[@]}"; do
    for device in utf8 ps; do
        warnings=$(zcat "$page" | groff -ww -z -man -T"$device" 2>&1)
        [ -z "$warnings" ] || fail "$(basename "$page") as $device:"$'\n'"$warnings"
    done
done

version=$(dpkg-deb -f "$deb" Version)
runner=()
case $name in *_arm64.deb) runner=(qemu-aarch64) ;; esac
reply=$(printf 'uci\nquit\n' | timeout -k 5 60 "${runner[@]}" "$unpacked/usr/games/korvane") ||
    fail "its engine did not answer \"uci\" and end"
[ "$reply" = "$(expected_uci_reply "$version")" ] || fail "the uci reply differs:"$'\n'"$reply"
echo "$name: checksum, lintian, manual pages and uci reply as expected"
