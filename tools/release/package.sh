#!/usr/bin/env bash
# Packs the engine and tools of one build folder into its release archive, and with --deb also
# into a Debian package:
#   tools/release/package.sh [--deb] BUILD_DIR OUT_DIR
# The build folder says what it is in package.env (written by CMake): version, contact, system,
# level and the archive's name. Every file gets the commit's time (SOURCE_DATE_EPOCH, else the time of
# the commit checked out here), fixed modes, owners and order, so that one commit always gives
# the same bytes.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
deb=0
if [ "${1:-}" = --deb ]; then
    deb=1
    shift
fi
if [ $# -ne 2 ] || [ ! -f "$1/package.env" ]; then
    echo "usage: $0 [--deb] BUILD_DIR OUT_DIR (BUILD_DIR: a configured and built folder)" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
# shellcheck source=/dev/null
. "$build/package.env"
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$here" log -1 --format=%ct 2>/dev/null || echo 0)}
export TZ=UTC LC_ALL=C

staging=$(mktemp -d "${TMPDIR:-/tmp}/korvane-package.XXXXXX")
trap 'rm -rf "$staging"' EXIT

# The README for one kind of package: lines tagged [tag,...] are kept only for those tags.
write_readme() {
    local tags=$1 target=$2 system_text processor_text
    case $SYSTEM in
    windows) system_text="64-bit Windows (10 or 11)" ;;
    *) system_text="64-bit Linux" ;;
    esac
    case $LEVEL in
    armv8-a) processor_text="ARM64 processors (ARMv8-A)" ;;
    *) processor_text="x86-64 processors of level $LEVEL or above" ;;
    esac
    awk -v tags=",$tags," '
        match($0, /^\[[a-z0-9,]+\]/) {
            n = split(substr($0, 2, RLENGTH - 2), own, ",")
            keep = 0
            for (i = 1; i <= n; i++) if (index(tags, "," own[i] ",")) keep = 1
            if (keep) print substr($0, RLENGTH + 1)
            next
        }
        { print }' "$here/README.txt.in" |
        sed -e "s|@VERSION@|$VERSION|g" -e "s|@AUTHOR@|$AUTHOR|g" -e "s|@CONTACT@|$CONTACT|g" -e "s|@NAME@|$NAME|g" \
            -e "s|@EXE@|$EXE_SUFFIX|g" -e "s|@SYSTEM_TEXT@|$system_text|g" -e "s|@PROCESSOR_TEXT@|$processor_text|g" \
            >"$target"
}

# Tags: the kind of package, the system, the processor, and x86linux for lines that need both
# an x86-64 processor and Linux.
processor_tag=x86
[ "$LEVEL" = armv8-a ] && processor_tag=arm64
x86linux=""
[ "$processor_tag" = x86 ] && [ "$SYSTEM" = linux ] && x86linux=",x86linux"

# The archive: one folder named as the archive, holding the three programs and the README.
folder=$staging/archive/$NAME
mkdir -p "$folder"
for program in korvane korvane-perft korvane-bench; do
    install -m 755 "$build/$program$EXE_SUFFIX" "$folder/"
done
write_readme "archive,$SYSTEM,$processor_tag$x86linux" "$folder/README.txt"
chmod 644 "$folder/README.txt"
find "$staging/archive" -exec touch -h -d "@$epoch" {} +
if [ "$SYSTEM" = windows ]; then
    sed -i 's/$/\r/' "$folder/README.txt"
    touch -d "@$epoch" "$folder/README.txt"
    rm -f "$out/$NAME.zip"
    (cd "$staging/archive" && find "$NAME" -type f | sort | zip -X -D -q -9 "$out/$NAME.zip" -@)
else
    tar --sort=name --mtime="@$epoch" --owner=0 --group=0 --numeric-owner --format=gnu \
        -C "$staging/archive" -cf - "$NAME" | gzip -9 -n >"$out/$NAME$EXTENSION"
fi
echo "$out/$NAME$EXTENSION"

((deb)) || exit 0
# The Debian package: the programs where Debian puts games, the README with the documentation.
root=$staging/deb
mkdir -p "$root/DEBIAN" "$root/usr/games" "$root/usr/share/doc/korvane"
for program in korvane korvane-perft korvane-bench; do
    install -m 755 "$build/$program" "$root/usr/games/"
done
write_readme "debian,$processor_tag$x86linux" "$root/usr/share/doc/korvane/README.txt"
chmod 644 "$root/usr/share/doc/korvane/README.txt"
case $LEVEL in
armv8-a) needs="any 64-bit ARM processor (ARMv8-A)" ;;
*) needs="an x86-64 processor of level $LEVEL or above" ;;
esac
cat >"$root/DEBIAN/control" <<CONTROL
Package: korvane
Version: $VERSION
Architecture: $DEB_ARCHITECTURE
Maintainer: $CONTACT
Installed-Size: $(du -k -s --apparent-size "$root/usr" | cut -f1)
Section: games
Priority: optional
Description: chess engine speaking the Universal Chess Interface (UCI)
 Korvane is a chess engine: a chess GUI or a tournament manager starts it as
 /usr/games/korvane and talks to it over UCI. It searches with iterative
 deepening, alpha-beta with a null move, a transposition table and a
 quiescence search, on a hand-tuned evaluation.
 .
 Also here: korvane-perft, which counts the legal move tree of a position, and
 korvane-bench, which measures the search's speed. This build needs
 $needs.
CONTROL
(cd "$root" && find usr -type f | sort | xargs md5sum >DEBIAN/md5sums)
chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"
find "$root" -type d -exec chmod 755 {} +
find "$root" -exec touch -h -d "@$epoch" {} +
deb_name=korvane_${VERSION}_$DEB_ARCHITECTURE.deb
SOURCE_DATE_EPOCH=$epoch dpkg-deb --root-owner-group -Zxz --build "$root" "$out/$deb_name" >/dev/null
echo "$out/$deb_name"
