#!/usr/bin/env bash
# Checks the release package that `make dist` made, as a user gets it: the zip's listing, its texts,
# its Brio.dll, and that DLL under Wine through brio-host.exe (the identity scenario), with the sample
# lists read by "Wczytaj".
# Usage: tests/dist/check_dist.sh WIN_BUILD_DIR   (after `cmake --build WIN_BUILD_DIR --target dist`)
# Prints "dist: NAME ok" or "dist: NAME FAILED" per check; exits non-zero if any failed.
set -uo pipefail
[ $# -eq 1 ] || { echo "usage: $0 WIN_BUILD_DIR" >&2; exit 2; }
win_build="$(cd "$1" && pwd)" || exit 2
here="$(cd "$(dirname "$0")" && pwd)"
top="$(cd "$here/../.." && pwd)"

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win_build/CMakeCache.txt")"
root="Brio-$version"
zip="$top/dist/$root.zip"
[ -n "$version" ] && [ -f "$zip" ] || { echo "dist: no package $zip (make dist)" >&2; exit 1; }
work="$win_build/dist-check"
rm -rf "$work"
mkdir -p "$work"

failed=0
report() { # NAME, then the check's status
    if [ "$2" -eq 0 ]; then echo "dist: $1 ok"; else echo "dist: $1 FAILED"; failed=1; fi
}

texts=(instrukcja.txt wersja.txt przyklady/lista.sts przyklady/opisy.txt)

# These files in this order, ordinary files readable by all, with no extra fields (owner, times).
check_listing() {
    local expected names
    expected="$(printf "$root/%s\n" Brio.dll "${texts[@]}")"
    names="$(unzip -Z1 "$zip")" || return 1
    [ "$names" = "$expected" ] || { printf 'listing:\n%s\nexpected:\n%s\n' "$names" "$expected"; return 1; }
    local count=$((${#texts[@]} + 1))
    [ "$(zipinfo -s "$zip" | grep -c '^-rw-r--r-- .* unx ')" -eq $count ] || { zipinfo -s "$zip"; return 1; }
    [ "$(zipinfo -v "$zip" | grep -c 'length of extra field: *0 bytes')" -eq $count ] ||
        { echo "entries with extra fields"; return 1; }
}

# Code page 1250 with CR LF line ends: no LF without its CR, no byte that code page 1250 lacks.
cp1250_crlf() {
    local file="$1"
    if LC_ALL=C grep -q $'[^\r]$\|^$' "$file"; then echo "$file: a line ends without CR LF"; return 1; fi
    [ "$(tail -c 2 "$file" | od -An -c | tr -d ' ')" = '\r\n' ] || { echo "$file: no CR LF at its end"; return 1; }
    iconv -f CP1250 -t UTF-8 "$file" >/dev/null || { echo "$file: not code page 1250"; return 1; }
}

check_texts() {
    local text bad=0
    for text in "${texts[@]}"; do cp1250_crlf "$work/$root/$text" || bad=1; done
    return $bad
}

# Every caption of the pages and menus, as the plug-in declares them (startup's transcript), is named
# in the guide, in quotation marks: "..." or the Polish „...”; the network check boxes (445300 + network)
# carry the host's names.
check_guide() {
    local guide missing=0 caption
    guide="$(iconv -f CP1250 -t UTF-8 "$work/$root/instrukcja.txt" | tr -s ' \r\n' '   ')"
    while IFS= read -r caption; do
        [ -n "$caption" ] || continue
        grep -qF -e "\"$caption\"" -e "„$caption”" <<<"$guide" ||
            { echo "the guide does not name \"$caption\""; missing=1; }
    done < <(sed -nE '/^  addAction 4453[0-9][0-9] /d
                      s/^  addAction [0-9]+ parent [0-9]+ (page|group|label|button|check|popup|choice)( flags 0x[0-9A-F]+)? "([^"]*)".*/\3/p' \
                 "$top/tests/scenarios/startup.expected" |
             sed 's/\\n/\n/g' | sed 's/\\x03.*//')
    return $missing
}

# The guide reads in any plain-text viewer without wrapping: no line longer than 75 characters.
check_guide_lines() {
    local long
    long="$(tr -d '\r' <"$work/$root/instrukcja.txt" | # code page 1250: a byte per character
        LC_ALL=C awk '{ if (length($0) > 75) printf "line %d has %d characters\n", NR, length($0) }')"
    [ -z "$long" ] || { echo "$long"; return 1; }
}

# The notice names the version and the commit the package was built from.
check_notice() {
    local notice head
    notice="$(iconv -f CP1250 -t UTF-8 "$work/$root/wersja.txt")"
    grep -qx "Brio $version"$'\r' <<<"$notice" || { echo "wersja.txt does not name Brio $version"; return 1; }
    head="$(git -C "$top" rev-parse HEAD 2>/dev/null)" || return 0 # not a checkout: nothing to compare with
    grep -q "^Commit: *$head" <<<"$notice" || { echo "wersja.txt does not name the commit $head"; return 1; }
}

# Nothing of the build in the DLL: no path of the source tree, no link time.
check_dll() {
    local dll="$work/$root/Brio.dll" stamps
    if strings -a "$dll" | grep -F "$top"; then echo "Brio.dll holds build paths"; return 1; fi
    stamps="$(TZ=UTC i686-w64-mingw32-objdump -p "$dll" | grep -E '^Time/Date')" || return 1
    [ "$stamps" = $'Time/Date\t\tThu Jan  1 00:00:00 1970\nTime/Date stamp \t\t0' ] ||
        { echo "Brio.dll carries a time: $stamps"; return 1; }
}

check_listing
report listing $?
if unzip -q "$zip" -d "$work"; then
    check_texts
    report texts $?
    check_guide
    report guide $?
    check_guide_lines
    report guide-lines $?
    check_notice
    report notice $?
    check_dll
    report dll $?
    # The packaged DLL under Wine; the runs work in the unpacked folder, where the sample lists are.
    BRIO_WINE_PLUGIN="$work/$root/Brio.dll" BRIO_WINE_WORKDIR="$work/$root" \
        "$top/tests/wine/run_scenarios.sh" "$win_build" identity "$here/samples.brio" 2>&1 |
        sed -E 's/^wine: ([^ ]+) (ok|FAILED)/dist: \1 under Wine \2/'
    [ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
else
    report unzip 1
fi
[ $failed -eq 0 ] && rm -rf "$work"
exit $failed
