#!/usr/bin/env bash
# The program as installed: `make install` into a staging root (DESTDIR, another prefix)
# and the Debian package of the same build unpacked with dpkg -x. Each holds exactly the
# program, the window program, the manual page, the desktop entry and the icon; the
# program runs and finds its window program, the
# desktop entry passes desktop-file-validate and the manual page renders without a
# warning. Exit code 77: skipped (a tool is missing), with the reason on the output.
set -euo pipefail
build=$1
version=$2

skip() {
    echo "package test skipped: $*"
    exit 77
}
for tool in cpack dpkg-deb dpkg-shlibdeps file desktop-file-validate man; do
    command -v "$tool" >/dev/null || skip "$tool is missing (scripts/install-deps installs it)"
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
    echo "FAILED: $*"
    exit 1
}

installed_files() {  # the regular files below a root, relative, sorted
    (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
}
expect_files() {  # root prefix
    local want
    want=$(printf '%s\n' "$2/bin/tomeo" "$2/libexec/tomeo/tomeo-window" \
        "$2/share/applications/tomeo.desktop" \
        "$2/share/icons/hicolor/scalable/apps/tomeo.svg" "$2/share/man/man1/tomeo.1.gz" |
        LC_ALL=C sort)
    [ "$(installed_files "$1")" = "$want" ] ||
        fail "files below $1:"$'\n'"$(installed_files "$1")"$'\n'"expected:"$'\n'"$want"
}

# make install: DESTDIR and the prefix are honoured.
DESTDIR="$tmp/stage" cmake --install "$build" --prefix /opt/tomeo >"$tmp/install.log" ||
    fail "cmake --install: $(cat "$tmp/install.log")"
expect_files "$tmp/stage" opt/tomeo

# make deb, from the same build.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/package" >"$tmp/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$tmp/cpack.log")"
deb=$(ls "$tmp"/package/*.deb)
echo "package: $(basename "$deb")"
dpkg-deb -x "$deb" "$tmp/root"
expect_files "$tmp/root" usr

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libc6 zlib1g libqt6widgets6; do
    [[ $depends == *"$library "* ]] || fail "Depends lacks $library"
done

# The unpacked program runs; --version reads no configuration.
out=$(cd "$tmp" && XDG_CONFIG_HOME="$tmp/config" HOME="$tmp" "$tmp/root/usr/bin/tomeo" --version)
[ "$out" = "Tomeo $version" ] || fail "tomeo --version said: $out"
[ ! -e "$tmp/config" ] || fail "tomeo --version created its configuration folder"
echo "tomeo --version: $out"

# Window mode is handed to the window program: without a display it is the one that
# answers (the program alone would say that it has no window).
if out=$(cd "$tmp" && env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$tmp/config" \
    HOME="$tmp" "$tmp/root/usr/bin/tomeo" 2>&1); then
    fail "window mode without a display succeeded"
fi
[[ $out == *DISPLAY* ]] || fail "window mode without a display said: $out"
echo "window mode: handed to $(ls "$tmp/root/usr/libexec/tomeo")"

# The desktop entry: no error and no warning (a hint about the two main categories
# Office and Utility is expected).
desktop="$tmp/root/usr/share/applications/tomeo.desktop"
validation=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $validation"
if grep -E 'error|warning' <<<"$validation"; then fail "desktop-file-validate complained"; fi
grep -qx 'Exec=tomeo %f' "$desktop" || fail "Exec is not 'tomeo %f'"

# The manual page renders in a UTF-8 locale without a single warning.
page="$tmp/root/usr/share/man/man1/tomeo.1.gz"
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" >"$tmp/man.txt" 2>"$tmp/man.err" ||
    fail "man -l: $(cat "$tmp/man.err")"
[ ! -s "$tmp/man.err" ] || fail "man -l warned: $(cat "$tmp/man.err")"
for heading in КЛЮЧИ СКРИПТЫ НАСТРОЙКИ "ФАЙЛЫ И КАТАЛОГИ" "КОД ЗАВЕРШЕНИЯ" ПРИМЕРЫ; do
    grep -q "^$heading" "$tmp/man.txt" || fail "the manual page has no section $heading"
done
grep -q "Tomeo $version" "$tmp/man.txt" || fail "the manual page does not carry the version"
echo "man -l: $(wc -l <"$tmp/man.txt") lines, no warnings"

# The icon is well-formed SVG.
if command -v xmllint >/dev/null; then
    xmllint --noout "$tmp/root/usr/share/icons/hicolor/scalable/apps/tomeo.svg" ||
        fail "the icon is not well-formed"
fi
echo "package test passed"
