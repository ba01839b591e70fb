#!/usr/bin/env bash
# Builds the Debian package from an existing build folder and checks it: its contents
# list, its dependencies, no maintainer scripts, lintian (no error, no warning), the
# desktop entry and metainfo, and that the programs start from the unpacked package and
# from a `cmake --install` prefix (kvu finding its help there).
# Usage: scripts/check-package.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${1:-build}
failed=0
fail() { echo "check-package: $*" >&2; failed=1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --build "$BUILD_DIR" --target package >"$work/package.log" 2>&1 ||
    { cat "$work/package.log" >&2; echo "check-package: the package did not build" >&2; exit 1; }
version=$(sed -n 's/^inline const char\* const kVersionText = "\(.*\)";/\1/p' \
              "$BUILD_DIR/src/core/generated/app/Version.h")
deb=$(ls "$BUILD_DIR"/kvu_"$version"_*.deb)
echo "check-package: $deb"

# The contents list: every file required, nothing outside the folders a package may use.
dpkg-deb -c "$deb" | awk '{print $6}' | sed -n 's|^\./usr/||p' | grep -v '/$' | sort >"$work/contents"
grep -v '^#' packaging/package-contents.txt | sed '/^$/d' | sort >"$work/required"
missing=$(comm -23 "$work/required" "$work/contents")
[ -z "$missing" ] || fail "missing from the package: $missing"
# Every picture the help shows is in the package beside it.
for page in src/gui/help/kvu.html; do
    for picture in $(grep -o 'src="[^"]*"' "$page" | sed 's/^src="//; s/"$//'); do
        grep -qx "share/kvu/help/$picture" "$work/contents" ||
            fail "the help shows $picture, which the package lacks"
    done
done
stray=$(grep -Ev '^(bin/(kvu|kvuctl|tarvo3-sim)|lib/kvu/[^/]+\.so|share/(applications|bash-completion/completions|doc/kvu|icons/hicolor|kvu|man/man1|metainfo|mime/packages)/.+|share/lintian/overrides/kvu)$' \
            "$work/contents" || true)
[ -z "$stray" ] || fail "files where the package has no business: $stray"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6serialport6 libqt6core6 libc6; do
    [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done
# Nothing to run on install or remove: no ldconfig for the private module, and no postrm
# that would keep the package in dpkg's "rc" state after a remove.
scripts=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' |
              grep -Ex '(preinst|postinst|prerm|postrm|config|triggers)' || true)
[ -z "$scripts" ] || fail "maintainer scripts in the package: $scripts"

# lintian: no error and no warning (the information tags it prints are shown; those that
# do not apply are overridden in packaging/lintian-overrides, each with its reason).
if command -v lintian >/dev/null; then
    lintian --display-info --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 ||
        fail "lintian: $(grep -v 'running with root privileges' "$work/lintian.log")"
    grep -v 'running with root privileges' "$work/lintian.log" >&2 || true
else
    fail "lintian is not installed (scripts/setup.sh installs it)"
fi

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate packaging/kvu.desktop || fail "desktop entry"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --pedantic \
        "$BUILD_DIR/packaging/com.velqorvuzuvurizod.kvu.metainfo.xml" >"$work/as.log" 2>&1 ||
        { cat "$work/as.log" >&2; fail "metainfo"; }
fi

# The programs in a prefix start, and kvu finds the help installed beside it.
check_prefix() {
    local prefix=$1 out
    out=$("$prefix/bin/kvuctl" --version) || fail "$prefix: kvuctl --version failed"
    [ "$out" = "kvuctl $version" ] || fail "$prefix: kvuctl --version said '$out'"
    # A PNG needs the codec module, which kvuctl loads from where the package puts it.
    base64 -d >"$work/dot.png" <<<'iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAIAAACQd1PeAAAADElEQVR4nGP4//8/AAX+Av4N70a4AAAAAElFTkSuQmCC'
    HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" \
        "$prefix/bin/kvuctl" logo preview "$work/dot.png" -o "$work/dot.pbm" >"$work/png.log" 2>&1 &&
        [ "$(head -c 2 "$work/dot.pbm")" = P4 ] ||
        { cat "$work/png.log" >&2; fail "$prefix: kvuctl cannot read a PNG"; }
    "$prefix/bin/tarvo3-sim" --version >/dev/null 2>&1 || fail "$prefix: tarvo3-sim --version failed"
    out=$(QT_QPA_PLATFORM=offscreen "$prefix/bin/kvu" --help-path) || fail "$prefix: kvu finds no help"
    [ "$out" = "$prefix/share/kvu/help/kvu.html" ] || fail "$prefix: kvu's help is '$out'"
    # kvu on the offscreen platform with a settings folder of its own: still running after
    # three seconds means it came up (timeout's 124); anything else is a failed start.
    local rc=0
    HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" QT_QPA_PLATFORM=offscreen \
        timeout 3 "$prefix/bin/kvu" >"$work/kvu.log" 2>&1 || rc=$?
    [ $rc = 124 ] || { cat "$work/kvu.log" >&2; fail "$prefix: kvu exited with $rc at start"; }
}
mkdir -p "$work/deb" "$work/home"
dpkg-deb -x "$deb" "$work/deb"
check_prefix "$work/deb/usr"
cmake --install "$BUILD_DIR" --prefix "$work/prefix" >/dev/null
check_prefix "$work/prefix"

[ $failed = 0 ] && echo "check-package: passed"
exit $failed
