#!/usr/bin/env bash
# Checks the Windows package made from the cross build in BUILD_DIR/win32:
# the zip's contents and the program's size and imports, then the installer
# under Wine: a silent per-user install, the program started from where it
# was installed, a silent uninstall, and nothing left behind.
#   check_windows_package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
cross=$build/win32
here=$(cd "$(dirname "$0")" && pwd)
runner=$here/../win32/run_under_wine.sh
: "${QUENLOW_WINEPREFIX:?set QUENLOW_WINEPREFIX to the Wine prefix folder}"
[ -f "$cross/CPackConfig.cmake" ] || { echo "no cross build in $cross (package g++-mingw-w64-x86-64)"; exit 1; }
command -v makensis >/dev/null || { echo "makensis is not installed (package nsis)"; exit 1; }
source "$(dirname "$0")/checks.sh"

(cd "$work" && cpack --config "$cross/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1) \
  || { cat "$work/cpack.log"; exit 1; }
zip=$work/quenlow-1.1.0.2-win64.zip
installer=$work/quenlow-1.1.0.2-win64.exe
check "the zip is made" test -s "$zip"
check "the installer is made" test -s "$installer"
check "the zip holds the program, README and licence, nothing else" \
  bash -c "unzip -Z1 '$zip' | sort | tr '\n' ' ' | grep -qx 'LICENSE.txt README.txt quenlow.exe '"
unzip -q "$zip" quenlow.exe -d "$work/zip"
size=$(stat -c %s "$work/zip/quenlow.exe")
echo "quenlow.exe: $size bytes"
check "quenlow.exe is at most 1 MiB" test "$size" -le 1048576
check "quenlow.exe needs no DLL but Windows' own" bash -c "x86_64-w64-mingw32-objdump -p '$work/zip/quenlow.exe' \
  | sed -n 's/^\tDLL Name: //p' | tr 'a-z' 'A-Z' \
  | grep -vxE 'KERNEL32.DLL|USER32.DLL|GDI32.DLL|COMCTL32.DLL|SHELL32.DLL|OLE32.DLL|ADVAPI32.DLL|MSVCRT.DLL|DWMAPI.DLL|OLEACC.DLL|OLEAUT32.DLL' \
  | { ! grep .; }"

profile=$QUENLOW_WINEPREFIX/drive_c/users/$(id -un)
installed=$profile/AppData/Local/Programs/Quenlow
shortcut="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Mobrell Quenlow.lnk"
registry_has() { grep -qiF "$1" "$QUENLOW_WINEPREFIX/user.reg"; }
uninstall_key='Uninstall\\Mobrell Quenlow'

"$runner" --wait "$installer" /S
check "the program is installed for the user" test -s "$installed/quenlow.exe"
check "the uninstaller is installed" test -s "$installed/Uninstall.exe"
check "the Start-menu shortcut is made" test -s "$shortcut"
check "the uninstall entry is under HKCU" registry_has "$uninstall_key"
check "the installed program starts and ends" env \
  QUENLOW_PROGRAM='C:\users\'"$(id -un)"'\AppData\Local\Programs\Quenlow\quenlow.exe' \
  "$runner" "$cross/tests/win32_program_tests.exe" --gtest_filter=InstalledProgram.*

"$runner" --wait "$installed/Uninstall.exe" /S
check "the program folder is gone" test ! -e "$installed"
check "the shortcut is gone" test ! -e "$shortcut"
check "the uninstall entry is gone" bash -c "! grep -qiF '$uninstall_key' '$QUENLOW_WINEPREFIX/user.reg'"
check "the remembered settings are gone" bash -c "! grep -qiF 'Mobrell\\\\Tavrim' '$QUENLOW_WINEPREFIX/user.reg'"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
