#!/usr/bin/env bash
# Makes what Windows users download, from the shipped i686 build:
#   dist/Nimbrel-<version>-win32.zip   Nimbrel.exe, boot.ini, 使用说明.txt, nimbrel-portal.exe
#   dist/Nimbrel-<version>-setup.exe   the NSIS installer of the same files
# The version is the CMake project's. Builds the win32 preset first (nothing to do when it is
# up to date, as after scripts/test.sh). Prints the two paths.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build_dir=$root/build/win32
stage=$root/build/package/stage
dist=$root/dist
readme=使用说明.txt

cmake --preset win32 -Wno-dev >/dev/null
cmake --build "$build_dir" -j2 --target Nimbrel nimbrel-portal >/dev/null

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build_dir/CMakeCache.txt")
[ -n "$version" ] || { echo "package: no project version in $build_dir/CMakeCache.txt" >&2; exit 1; }

rm -rf "$stage"
mkdir -p "$stage" "$dist"
cp "$build_dir/platform/win32/Nimbrel.exe" "$stage/"
cp resources/boot.ini "$stage/"
# Notepad on a Chinese Windows reads code page 936 with CRLF line ends, like boot.ini.
iconv -f UTF-8 -t GBK "packaging/$readme" | sed 's/$/\r/' >"$stage/$readme"
cp "$build_dir/portal/nimbrel-portal.exe" "$stage/"
files=(Nimbrel.exe boot.ini "$readme" nimbrel-portal.exe)

zip=$dist/Nimbrel-$version-win32.zip
setup=$dist/Nimbrel-$version-setup.exe
rm -f "$zip" "$setup"

# Python's zipfile marks the Chinese name as UTF-8, which Windows' own unzip honours; the fixed
# time stamp makes the same files give the same zip.
python3 - "$zip" "$stage" "${files[@]}" <<'EOF'
import os, sys, zipfile
archive, stage, names = sys.argv[1], sys.argv[2], sys.argv[3:]
with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for name in names:
        info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o644 << 16
        with open(os.path.join(stage, name), "rb") as f:
            z.writestr(info, f.read())
EOF

nsis_defines=(-DVERSION="$version" -DOUTFILE="$setup" -DSTAGE_DIR="$stage"
  -DICON="$root/resources/nimbrel.ico")
makensis -V2 -INPUTCHARSET UTF8 "${nsis_defines[@]}" packaging/nimbrel.nsi >&2

echo "$zip"
echo "$setup"
