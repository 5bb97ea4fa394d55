#!/usr/bin/env bash
# The cabinet library's COM server on Windows, run under Wine from a fresh
# prefix to a clean unregistration: regsvr32 registers the DLL, VBScript and
# JScript clients drive it through cscript by late binding, a compiled client
# proves its events, and the cabinets they wrote are checked on the Linux side
# by cabextract and our own reader, byte for byte against the files packed.
#
# usage: run-under-wine.sh DLL EVENTS_CLIENT SCRIPTS_FOLDER WORK_FOLDER LINUX_TOOLS_FOLDER
# Exits 0 when every check passed, 1 when one failed, 77 (skipped) only when
# wine64 cannot start at all on this machine.
set -uo pipefail

if [ $# -ne 5 ]; then
    echo "usage: $0 DLL EVENTS_CLIENT SCRIPTS_FOLDER WORK_FOLDER LINUX_TOOLS_FOLDER" >&2
    exit 2
fi
dll=$(realpath "$1") client=$(realpath "$2") scripts=$(realpath "$3") work=$4 tools=$5
started=$SECONDS
failures=0

pass() { echo "ok   $*"; }
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || true)
if [ -z "$wine" ] || ! "$wine" --version >/dev/null 2>&1; then
    echo "SKIPPED: wine64 cannot start on this machine (not installed or not runnable)"
    exit 77
fi
wineserver=$(dirname "$wine")/wineserver
tcab=$tools/tcab
if [ ! -x "$tcab" ]; then
    echo "FAIL no tcab at $tcab: build the release preset first (cmake --build --preset release)"
    exit 1
fi
if ! command -v cabextract >/dev/null; then
    echo "FAIL cabextract is not installed (scripts/install-deps)"
    exit 1
fi

rm -rf "$work"
mkdir -p "$work"
work=$(realpath "$work")
# A prefix of our own, without a display, with the browser and .NET
# installers Wine would offer switched off.
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
trap '"$wineserver" -k >/dev/null 2>&1' EXIT

# Wine's programs write to files, never to our pipes: the prefix's background
# services outlive each command and would hold a pipe open for ever.
wine_run() {
    local log=$1
    shift
    timeout 300 "$wine" "$@" >"$log" 2>&1
}
windows_path() { printf 'Z:%s' "$(realpath "$1" | sed 's|/|\\|g')"; }
# A script client passes when it ran to its last line with no failure.
run_client() {
    local name=$1
    shift
    wine_run "$work/$name.log" "$@"
    local status=$?
    sed 's/\r$//' "$work/$name.log"
    if [ $status -eq 0 ] && grep -q '^0 failure(s)' "$work/$name.log"; then
        pass "$name client"
    else
        fail "$name client (exit $status)"
    fi
}
export_classes() { wine_run "$work/$1.log" reg export HKCR "$(windows_path "$work")\\$1.reg" /y; }

echo "== fresh Wine prefix (headless)"
if ! wine_run "$work/wineboot.log" wineboot -i; then
    echo "SKIPPED: wine64 cannot start a prefix on this machine:"
    tail -5 "$work/wineboot.log"
    exit 77
fi
"$wineserver" -p >/dev/null 2>&1

echo "== the tree to pack"
tree=$work/tree
mkdir -p "$tree/sub/deeper"
printf 'alpha\n' >"$tree/a.txt"
head -c 300000 /dev/urandom >"$tree/sub/b.bin"
yes gamma | head -c 200000 >"$tree/sub/deeper/c.txt"
accented='sub\naïve café.txt'
printf 'accents\n' >"$tree/sub/naïve café.txt"
printf 'dated\n' >"$tree/dated.txt"
touch -d '2019-05-04 10:20:30' "$tree/dated.txt"
printf 'read only\n' >"$tree/readonly.txt"
chmod a-w "$tree/readonly.txt"
printf 'hidden\n' >"$tree/.hidden.txt"

echo "== the DLL itself"
# The four entry points the system calls, and no compiler runtime to carry
# beside it (a Windows machine has none).
objdump=x86_64-w64-mingw32-objdump
headers=$("$objdump" -p "$dll" 2>/dev/null)
exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" | awk 'NR > 1 && NF { print $NF }' | sort | xargs)
if [ "$exports" = "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer" ]; then
    pass "$(basename "$dll") exports the four server entry points and nothing else"
else
    fail "$(basename "$dll") exports [$exports]"
fi
runtimes=$(grep -oiE 'DLL Name: (libstdc\+\+|libgcc|libwinpthread)[^ ]*' <<<"$headers")
if [ -n "$headers" ] && [ -z "$runtimes" ]; then
    pass "$(basename "$dll") needs no compiler runtime beside it"
else
    fail "$(basename "$dll") needs ${runtimes:-headers unreadable}"
fi

echo "== registration"
# Before: no class answers. The run also lets cscript register its own
# interfaces, which it does on first use, before the snapshot is taken.
run_client before-registration cscript //nologo "$(windows_path "$scripts/NotRegistered.vbs")"
export_classes classes-before
if wine_run "$work/regsvr32.log" regsvr32 /s "$(windows_path "$dll")"; then
    pass "regsvr32 registers $(basename "$dll")"
else
    fail "regsvr32 could not register $(basename "$dll")"
fi

echo "== VBScript client"
run_client vbscript cscript //nologo "$(windows_path "$scripts/CabinetClient.vbs")" "$(windows_path "$work")" \
    "$accented"
mkdir -p "$work/linked-out" "$work/elsewhere"
ln -s "$work/elsewhere" "$work/linked-out/sub"
echo "== JScript client"
run_client jscript cscript //nologo "$(windows_path "$scripts/CabinetClient.js")" "$(windows_path "$work")"
echo "== compiled client: events through connection points"
run_client events "$client" "$(windows_path "$work")"

echo "== the cabinets on the Linux side"
# `expected` holds what a cabinet should unpack to; both readers must give exactly that.
compare_cabinet() {
    local cabinet=$1 expected=$2
    local name
    name=$(basename "$cabinet" .cab)
    if ! cabextract -q -t "$cabinet" >/dev/null 2>&1; then
        fail "cabextract finds $name.cab damaged"
        return
    fi
    rm -rf "$work/$name-cabextract" "$work/$name-tcab"
    cabextract -q -d "$work/$name-cabextract" "$cabinet" >/dev/null 2>&1
    "$tcab" extract "$cabinet" "$work/$name-tcab" >/dev/null 2>&1
    if diff -r "$expected" "$work/$name-cabextract" >/dev/null && diff -r "$expected" "$work/$name-tcab" >/dev/null; then
        pass "$name.cab unpacks with cabextract and tcab to the files packed, byte for byte"
    else
        fail "$name.cab does not unpack to the files packed"
        diff -r "$expected" "$work/$name-cabextract" | head -5
        diff -r "$expected" "$work/$name-tcab" | head -5
    fi
}
visible=$work/expected-tree
mkdir -p "$visible"
cp -a "$tree/." "$visible/"
rm -f "$visible/.hidden.txt"
compare_cabinet "$work/tree.cab" "$visible"

expected=$work/expected-vbs
cp -a "$visible" "$expected"
mkdir -p "$expected/renamed"
cp -a "$tree/sub/b.bin" "$expected/renamed/b.bin"
compare_cabinet "$work/vbs.cab" "$expected"
if diff -r -x a.txt "$expected" "$work/vbs-out" >/dev/null && [ ! -e "$work/vbs-out/a.txt" ]; then
    pass "the COM server extracted the chosen entries byte for byte"
else
    fail "the COM server's extraction differs from the files packed"
fi

expected=$work/expected-js
cp -a "$visible" "$expected"
mkdir -p "$expected/extra"
cp -a "$tree/sub/deeper/c.txt" "$expected/extra/c-copy.txt"
compare_cabinet "$work/js.cab" "$expected"

if [ -z "$(ls -A "$work/elsewhere")" ] && [ -f "$work/linked-out/a.txt" ]; then
    pass "nothing was written through a link inside the folder extracted to"
else
    fail "an extraction wrote through a link: $(ls -A "$work/elsewhere" | head -3)"
fi
if cabextract -q -t "$work/self.cab" >/dev/null 2>&1; then
    pass "a cabinet is never replaced by its own entry"
else
    fail "self.cab was overwritten by its entry"
fi

expected=$work/expected-before
mkdir -p "$expected/sub"
cp -a "$tree/a.txt" "$expected/"
cp -a "$tree/sub/b.bin" "$expected/sub/"
compare_cabinet "$work/events-before.cab" "$expected"

echo "== the same tree packed by tcab on Linux"
"$tcab" create "$work/linux-tree.cab" "$tree" >/dev/null 2>&1
linux=$work/linux-tree-out
"$tcab" extract "$work/linux-tree.cab" "$linux" >/dev/null 2>&1
[ -d "$linux/tree" ] && [ ! -e "$linux/a.txt" ] && linux=$linux/tree
# tcab stores dot-files too; the library leaves hidden files out.
if diff -r -x .hidden.txt "$work/tree-tcab" "$linux" >/dev/null; then
    pass "the tree packed under Wine and by tcab unpacks to the same names, sizes and bytes"
else
    fail "the tree packed under Wine and by tcab unpack differently"
    diff -r -x .hidden.txt "$work/tree-tcab" "$linux" | head -5
fi
echo "   cabinet sizes: COM server under Wine $(stat -c %s "$work/tree.cab") bytes," \
    "tcab on Linux $(stat -c %s "$work/linux-tree.cab") bytes, $(find "$visible" -type f | wc -l) files"

echo "== unregistration"
if wine_run "$work/regsvr32-u.log" regsvr32 /u /s "$(windows_path "$dll")"; then
    pass "regsvr32 /u unregisters $(basename "$dll")"
else
    fail "regsvr32 /u could not unregister $(basename "$dll")"
fi
run_client after-unregistration cscript //nologo "$(windows_path "$scripts/NotRegistered.vbs")"
export_classes classes-after
if cmp -s "$work/classes-before.reg" "$work/classes-after.reg"; then
    pass "HKEY_CLASSES_ROOT is exactly as it was before registration"
else
    fail "unregistration left HKEY_CLASSES_ROOT changed:"
    diff <(iconv -f UTF-16 -t UTF-8 "$work/classes-before.reg") <(iconv -f UTF-16 -t UTF-8 "$work/classes-after.reg") \
        | head -20
fi

echo "== Wine part took $((SECONDS - started)) s, $failures failure(s)"
[ $failures -eq 0 ]
