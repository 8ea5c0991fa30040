#!/usr/bin/env bash
# Installs everything Nimbrel needs on a fresh Debian 12 machine. Safe to run again:
# every step checks first and does nothing when it is already done.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
deps="${NIMBREL_DEPS:-$root/build/deps}"

packages=(
  cmake ninja-build g++ libgtest-dev libgmock-dev googletest libjpeg62-turbo-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  wine64 xvfb xdotool x11-utils imagemagick fonts-wqy-microhei locales
  dpkg-dev python3
  libcpp-httplib-dev nlohmann-json3-dev libcurl4-openssl-dev wrk chromium
  clang libclang-rt-14-dev nsis zip unzip
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  echo "setup: generating zh_CN.UTF-8"
  sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi

# Debian's source packages: libjpeg and cpp-httplib are not packaged for mingw, so the
# Windows builds take their sources from Debian's source packages of this release.
enable_source_packages() {
  grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && return 0
  grep -qs '^deb-src' /etc/apt/sources.list && return 0
  echo "setup: enabling source packages"
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"
  done
  apt-get update -qq
}

# Unpacks (with Debian's patches applied) the source package $1 into $deps/src once.
fetch_source() {
  ls -d "$deps/src/$1"-*/ >/dev/null 2>&1 && return 0
  enable_source_packages
  mkdir -p "$deps/src"
  (cd "$deps/src" && apt-get source -qq "$1${2:+=$2}" >/dev/null 2>&1)
  ls -d "$deps/src/$1"-*/ >/dev/null 2>&1 ||
    { echo "setup: could not unpack Debian's source package $1${2:+ $2}"; return 1; }
}

# The Windows portal compiles cpp-httplib header-only; Debian installs it split into a
# header and a shared library, so the whole header comes from the same version's source.
copy_httplib_header() {
  [ -f "$deps/cpp-httplib/httplib.h" ] && return 0
  local version
  version=$(dpkg-query -W -f='${source:Version}' libcpp-httplib-dev)
  fetch_source cpp-httplib "$version"
  mkdir -p "$deps/cpp-httplib"
  cp "$(ls -d "$deps"/src/cpp-httplib-*/ | head -n 1)httplib.h" "$deps/cpp-httplib/httplib.h"
}

# The Windows builds compile libjpeg's decoder from its source (third_party/libjpeg).
fetch_source libjpeg-turbo
copy_httplib_header

# The shipped exe is 32-bit and this kernel runs no 32-bit code: Wine's i386 half runs it
# through qemu's user-mode emulation. Debian 12's own qemu is far too slow for Wine, so qemu
# comes from bookworm-backports. Nothing here registers qemu with binfmt_misc (no systemd),
# so this does. When that cannot be done the 32-bit runs are skipped, never passed.
i386_status=$deps/i386-runtime
binfmt=/proc/sys/fs/binfmt_misc
i386_unavailable() {
  echo "setup: no 32-bit runtime: $1; the i686 tests will be skipped"
  echo "unavailable: $1" >"$i386_status"
}
setup_i386_runtime() {
  if ! mountpoint -q "$binfmt" && ! mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null; then
    i386_unavailable "binfmt_misc cannot be mounted"
    return 0
  fi
  local sources=/etc/apt/sources.list.d/nimbrel-backports.sources
  if ! dpkg --print-foreign-architectures | grep -qx i386 || [ ! -f "$sources" ]; then
    echo "setup: adding bookworm-backports and the i386 architecture"
    local mirror
    mirror=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
    if [ -z "$mirror" ]; then
      i386_unavailable "no Debian mirror configured in debian.sources for bookworm-backports"
      return 0
    fi
    printf 'Types: deb\nURIs: %s\nSuites: bookworm-backports\nComponents: main\nSigned-By: %s\n' \
      "$mirror" /usr/share/keyrings/debian-archive-keyring.gpg >"$sources"
    dpkg --add-architecture i386
    apt-get update -qq
  fi
  export DEBIAN_FRONTEND=noninteractive
  if ! /usr/bin/qemu-i386 --version 2>/dev/null | grep -qE 'version (9|[1-9][0-9])\.'; then
    echo "setup: installing qemu-user from bookworm-backports"
    apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user >/dev/null
  fi
  if [ ! -e "$binfmt/qemu-i386" ]; then
    local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    if ! printf ':qemu-i386:M::%s:%s:/usr/bin/qemu-i386:F' "$magic" "$mask" >"$binfmt/register" 2>/dev/null; then
      i386_unavailable "qemu-i386 cannot be registered with binfmt_misc"
      return 0
    fi
  fi
  if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
    echo "setup: installing wine32:i386"
    apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null
  fi
  echo ready >"$i386_status"
}
mkdir -p "$deps"
setup_i386_runtime
echo "setup: ready"
