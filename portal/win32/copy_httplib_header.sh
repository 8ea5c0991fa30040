#!/usr/bin/env bash
# Copies the single-header cpp-httplib of the installed libcpp-httplib-dev version, with
# Debian's patches applied, from Debian's source package into DESTINATION.
set -euo pipefail
destination=$1
version=$(dpkg-query -W -f='${source:Version}' libcpp-httplib-dev)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
apt-get source -qq "cpp-httplib=$version" >/dev/null 2>&1 ||
  { echo "portal: apt-get source cpp-httplib=$version failed (deb-src and dpkg-dev needed)" >&2
    exit 1; }
header=$(find "$work" -maxdepth 2 -name httplib.h | head -n 1)
[ -n "$header" ] || { echo "portal: no httplib.h in the source package" >&2; exit 1; }
mkdir -p "$destination"
cp "$header" "$destination/httplib.h"
