#!/usr/bin/env bash
# Checks a release archive as its user meets it:
#   tests/release/check_archive.sh ARCHIVE
# the archive's checksum matches the SHA256SUMS beside it; it unpacks into one folder named as
# the archive, which holds the programs, README.txt, LICENSE and CHANGELOG.md (with Windows line
# ends in a Windows archive) and on Linux the manual pages; its engine gives the exact "uci"
# reply (a Windows engine under wine, through a pipe that the Windows side makes; an ARM64
# engine under qemu-aarch64); and its bench gives the recorded signature. An engine that does
# not answer in time (a minute for "uci", the test command's quarter of an hour for the bench)
# fails the check.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
. "$repo/tests/lib.sh"
archive=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
name=$(basename "$archive")
name=${name%.zip}
name=${name%.tar.gz}
version=$(echo "$name" | sed -n 's/^korvane-\([0-9.]*\)-.*/\1/p')
fail() {
    echo "$name: $*" >&2
    exit 1
}

(cd "$(dirname "$archive")" && grep -F " $(basename "$archive")" SHA256SUMS | sha256sum --quiet -c -) ||
    fail "checksum does not match SHA256SUMS"

unpacked=$(mktemp -d "${TMPDIR:-/tmp}/korvane-archive.XXXXXX")
trap 'rm -rf "$unpacked"' EXIT
case $archive in
*.zip) unzip -q "$archive" -d "$unpacked" ;;
*) tar -xzf "$archive" -C "$unpacked" ;;
esac
[ "$(ls "$unpacked")" = "$name" ] || fail "does not unpack into one folder $name"
folder=$unpacked/$name

expected=$(expected_uci_reply "$version")
texts=(README.txt LICENSE CHANGELOG.md)
case $name in
*-windows-*)
    for file in korvane.exe korvane-perft.exe korvane-bench.exe "${texts[@]}"; do
        [ -f "$folder/$file" ] || fail "has no $file"
    done
    for text in "${texts[@]}"; do
        if grep -q $'[^\r]$' "$folder/$text"; then fail "$text lacks Windows line ends"; fi
    done
    # cmd.exe makes the pipe, inside wine, as a Windows interface would.
    printf 'uci\r\nquit\r\n' >"$unpacked/commands.txt"
    reply=$(cd "$folder" && timeout -k 5 60 wine cmd /c "type ..\commands.txt | korvane.exe" 2>/dev/null | tr -d '\r') ||
        fail "its engine did not answer \"uci\" and end"
    bench=(wine "$folder/korvane-bench.exe")
    ;;
*)
    for file in korvane korvane-perft korvane-bench "${texts[@]}" korvane.6 korvane-perft.6 korvane-bench.6; do
        [ -f "$folder/$file" ] || fail "has no $file"
    done
    [ -x "$folder/korvane" ] || fail "korvane is not executable"
    runner=()
    case $name in *-arm64-*) runner=(qemu-aarch64) ;; esac
    reply=$(printf 'uci\nquit\n' | timeout -k 5 60 "${runner[@]}" "$folder/korvane") || fail "its engine did not answer \"uci\" and end"
    bench=("${runner[@]}" "$folder/korvane-bench")
    ;;
esac
[ "$reply" = "$expected" ] || fail "the uci reply differs:"$'\n'"$reply"

read -r depth signature <"$repo/tests/data/bench_signature.txt"
line=$(timeout -k 5 900 "${bench[@]}" "$depth" 2>/dev/null | bench_line) || fail "its bench did not run or printed no bench line"
nodes=${line%% *}
[ "$nodes" = "$signature" ] || fail "bench signature ${nodes:-missing}, recorded $signature"
echo "$name: checksum, contents, uci reply and bench signature ($signature) as expected"
