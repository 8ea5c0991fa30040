#!/usr/bin/env bash
# Copies the single-header cpp-httplib of the installed libcpp-httplib-dev version, with
# Debian's patches applied, from Debian's source package into DESTINATION.
# Uses the system's deb-src entries; without any, a private apt state with the Debian
# archive's deb-src entries, so the system's apt configuration is never changed.
set -euo pipefail
destination=$1
version=$(dpkg-query -W -f='${source:Version}' libcpp-httplib-dev)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

private_apt() {
  . /etc/os-release
  mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial"
  cat >"$work/apt/sources.list" <<SOURCES
deb-src http://deb.debian.org/debian $VERSION_CODENAME main
deb-src http://deb.debian.org/debian $VERSION_CODENAME-updates main
deb-src http://deb.debian.org/debian-security $VERSION_CODENAME-security main
SOURCES
  local options=(-o "Dir::Etc::SourceList=$work/apt/sources.list"
    -o "Dir::Etc::SourceParts=/dev/null" -o "Dir::State::Lists=$work/apt/lists"
    -o "Dir::Cache=$work/apt/cache")
  apt-get "${options[@]}" -qq update && apt-get "${options[@]}" -qq source "cpp-httplib=$version"
}

if [ "${NIMBREL_PRIVATE_APT_SOURCES:-0}" = 1 ] ||
  ! apt-get source -qq "cpp-httplib=$version" >/dev/null 2>&1; then
  private_apt >/dev/null 2>&1 ||
    { echo "portal: could not get Debian's source of cpp-httplib $version" >&2; exit 1; }
fi
header=$(find "$work" -maxdepth 2 -name httplib.h -path '*cpp-httplib*' | head -n 1)
[ -n "$header" ] || { echo "portal: no httplib.h in the source package" >&2; exit 1; }
mkdir -p "$destination"
cp "$header" "$destination/httplib.h"
