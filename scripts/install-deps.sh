#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent: a
# package already installed is skipped, so a second run costs seconds.
set -euo pipefail

native=(cmake ninja-build g++ clang clang-format libgtest-dev libgmock-dev
        googletest libbenchmark-dev libclang-rt-14-dev gcovr)
windows=(g++-mingw-w64-i686 mingw-w64-tools wine wine64 wine32:i386 xvfb
         xdotool imagemagick fonts-ipafont-gothic locales python3)

want=("${native[@]}")
[ "${1:-}" = "--native-only" ] || want+=("${windows[@]}")

sudo_() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  if printf '%s\n' "${missing[@]}" | grep -q ':i386$' &&
     ! dpkg --print-foreign-architectures | grep -qx i386; then
    sudo_ dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  sudo_ apt-get update -qq
  sudo_ apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine needs a Japanese locale so that the program's ANSI code page is 932.
if [ "${1:-}" != "--native-only" ] && ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "install-deps: generating ja_JP.UTF-8"
  sudo_ sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | sudo_ tee -a /etc/locale.gen >/dev/null
  sudo_ locale-gen >/dev/null
fi
echo "install-deps: all packages present"
