#!/usr/bin/env bash
# Checks that both builds of the plug-in export what the messenger looks for and nothing else, and
# that the Windows programs carry their own C++ runtime.
# Usage: tests/wine/check_exports.sh BUILD_LINUX BUILD_WIN
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: $0 BUILD_LINUX BUILD_WIN" >&2; exit 2; }
linux_lib="$1/libbrio.so"
win_lib="$2/Brio.dll"
objdump_win="${OBJDUMP_WIN:-i686-w64-mingw32-objdump}"
failed=0

fail() {
    echo "check_exports: $*" >&2
    failed=1
}

# Sorted names, one per line, compared as a whole so that the message shows both lists.
expect_names() { # what, expected (space separated), actual (newline separated)
    local want got
    want="$(tr ' ' '\n' <<<"$2" | sort)"
    got="$(sort <<<"$3" | sed '/^$/d')"
    [ "$want" = "$got" ] || fail "$1: expected [$(echo $want)], found [$(echo $got)]"
}

if [ -f "$linux_lib" ]; then
    symbols="$(nm -D --defined-only "$linux_lib")" || fail "nm cannot read $linux_lib"
    # Code symbols (T, W, i) must be IMessageProc alone; data the two allocator hooks alone.
    functions="$(awk '$2 ~ /^[TtWwi]$/ {print $3}' <<<"$symbols")"
    data="$(awk '$2 !~ /^[TtWwi]$/ {print $3}' <<<"$symbols")"
    expect_names "$linux_lib functions" "IMessageProc" "$functions"
    expect_names "$linux_lib data" "pcre_malloc pcre_free" "$data"
else
    fail "$linux_lib not found (build the Linux target brio)"
fi

if [ -f "$win_lib" ]; then
    dump="$("$objdump_win" -p "$win_lib")" || fail "$objdump_win cannot read $win_lib"
    exports="$(awk '/^\[Ordinal\/Name Pointer\] Table/ {on = 1; next} on && /^[[:space:]]*$/ {on = 0}
                    on {print $NF}' <<<"$dump")"
    expect_names "$win_lib exports" "_IMessageProc@4 pcre_malloc pcre_free" "$exports"
else
    fail "$win_lib not found (build the Windows target brio)"
fi

# Statically linked runtime: no MinGW runtime DLL may be needed next to the programs.
for program in "$2/Brio.dll" "$2/host/brio-host.exe"; do
    [ -f "$program" ] || { fail "$program not found"; continue; }
    dump="$("$objdump_win" -p "$program")" || { fail "$objdump_win cannot read $program"; continue; }
    imports="$(awk '/DLL Name:/ {print $3}' <<<"$dump")"
    [ -n "$imports" ] || fail "$program: no imported DLLs found in the dump"
    runtime="$(grep -iE '^(libstdc\+\+|libgcc|libwinpthread)' <<<"$imports")"
    [ -z "$runtime" ] || fail "$program needs the MinGW runtime: $(echo $runtime)"
done

[ $failed -eq 0 ] && echo "check_exports: ok"
exit $failed
