#!/usr/bin/env bash
# Packs the engine and tools of one build folder into its release archive, and with --deb also
# into a Debian package:
#   tools/release/package.sh [--deb] BUILD_DIR OUT_DIR
# The build folder says what it is in package.env (written by CMake): version, contact, system,
# level and the archive's name; its man/ folder holds the manual pages. LICENSE and
# CHANGELOG.md come from the source tree that holds this script. Every file gets the commit's
# time (SOURCE_DATE_EPOCH, else the time of the commit checked out here), fixed modes, owners
# and order, so that one commit always gives the same bytes.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source=$(cd "$here/../.." && pwd)
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

# The Debian package's changelog: the sections of CHANGELOG.md in Debian's format, which dpkg,
# apt and lintian read from a native package's changelog.gz. A section "## VERSION (YYYY-MM-DD)"
# becomes an entry of that version and date, its lines indented by two, "- " bullets as "* ";
# the release's version must head the file.
debian_changelog() {
    awk -v package=korvane -v contact="$CONTACT" -v release="$VERSION" '
        function fail(text) { print "CHANGELOG.md: " text > "/dev/stderr"; failed = 1; exit 1 }
        function finish(    i, first, last, stamp, command) {
            if (version == "") return
            for (first = 1; first <= n && lines[first] == ""; first++) {}
            for (last = n; last >= first && lines[last] == ""; last--) {}
            if (first > last) fail("the section of " version " is empty")
            command = "date -u -R -d " date
            command | getline stamp
            close(command)
            if (entries++) print ""
            print package " (" version ") unstable; urgency=medium\n"
            for (i = first; i <= last; i++) print (lines[i] == "" ? "" : "  " lines[i])
            print "\n -- " contact "  " stamp
        }
        /^## / {
            finish()
            version = $2
            date = substr($3, 2, length($3) - 2)
            if (NF != 3 || version !~ /^[0-9][0-9.]*$/ || $3 != "(" date ")" ||
                date !~ /^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$/)
                fail("a heading is not \"## VERSION (YYYY-MM-DD)\": " $0)
            if (entries == 0 && version != release) fail("its newest section is " version ", the release is " release)
            n = 0
            next
        }
        version != "" {
            line = $0
            gsub(/`/, "", line)
            sub(/^- /, "* ", line)
            lines[++n] = line
        }
        END {
            if (failed) exit 1
            finish()
            if (entries == 0) fail("no section \"## VERSION (YYYY-MM-DD)\"")
        }' "$source/CHANGELOG.md"
}

# Tags: the kind of package, the system, the processor, and x86linux for lines that need both
# an x86-64 processor and Linux.
processor_tag=x86
[ "$LEVEL" = armv8-a ] && processor_tag=arm64
x86linux=""
[ "$processor_tag" = x86 ] && [ "$SYSTEM" = linux ] && x86linux=",x86linux"

# The archive: one folder named as the archive, holding the three programs, the README, the
# licence and the changelog, and on Linux the programs' manual pages.
programs=(korvane korvane-perft korvane-bench)
folder=$staging/archive/$NAME
mkdir -p "$folder"
for program in "${programs[@]}"; do
    install -m 755 "$build/$program$EXE_SUFFIX" "$folder/"
done
write_readme "archive,$SYSTEM,$processor_tag$x86linux" "$folder/README.txt"
texts=(README.txt LICENSE CHANGELOG.md)
install -m 644 "$source/LICENSE" "$source/CHANGELOG.md" "$folder/"
if [ "$SYSTEM" = linux ]; then
    for program in "${programs[@]}"; do
        install -m 644 "$build/man/$program.6" "$folder/"
    done
fi
chmod 644 "$folder/README.txt"
if [ "$SYSTEM" = windows ]; then
    for text in "${texts[@]}"; do
        sed -i 's/$/\r/' "$folder/$text"
    done
fi
find "$staging/archive" -exec touch -h -d "@$epoch" {} +
if [ "$SYSTEM" = windows ]; then
    rm -f "$out/$NAME.zip"
    (cd "$staging/archive" && find "$NAME" -type f | sort | zip -X -D -q -9 "$out/$NAME.zip" -@)
else
    tar --sort=name --mtime="@$epoch" --owner=0 --group=0 --numeric-owner --format=gnu \
        -C "$staging/archive" -cf - "$NAME" | gzip -9 -n >"$out/$NAME$EXTENSION"
fi
echo "$out/$NAME$EXTENSION"

((deb)) || exit 0
# The Debian package: the programs where Debian puts games, with their manual pages in section
# 6; the README, the copyright in Debian's machine-readable format and the changelog with the
# documentation; and lintian's overrides, each with its reason.
root=$staging/deb
doc=$root/usr/share/doc/korvane
mkdir -p "$root/DEBIAN" "$root/usr/games" "$doc" "$root/usr/share/man/man6" "$root/usr/share/lintian/overrides"
for program in "${programs[@]}"; do
    install -m 755 "$build/$program" "$root/usr/games/"
    gzip -9 -n -c "$build/man/$program.6" >"$root/usr/share/man/man6/$program.6.gz"
done
write_readme "debian,$processor_tag$x86linux" "$doc/README.txt"
# The licence's text after its copyright line, as the copyright format wants it: each line
# indented by one, an empty line as " .".
copyright=$(sed -n 's/^Copyright (c) //p' "$source/LICENSE")
sed -e "s|@CONTACT@|$CONTACT|g" -e "s|@VERSION@|$VERSION|g" -e "s|@COPYRIGHT@|$copyright|g" "$here/copyright.in" >"$doc/copyright"
sed -n '/^Permission/,$p' "$source/LICENSE" | sed -e 's/^$/./' -e 's/^/ /' >>"$doc/copyright"
debian_changelog | gzip -9 -n >"$doc/changelog.gz"
install -m 644 "$here/lintian-overrides" "$root/usr/share/lintian/overrides/korvane"
find "$root/usr/share" -type f -exec chmod 644 {} +
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
