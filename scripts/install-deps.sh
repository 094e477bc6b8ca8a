#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent: a
# package already installed is skipped, so a second run costs seconds.
set -euo pipefail

native=(cmake ninja-build g++ clang clang-format libgtest-dev libgmock-dev
        googletest libbenchmark-dev libclang-rt-14-dev gcovr)
windows=(g++-mingw-w64-i686 mingw-w64-tools wine wine64 wine32:i386 xvfb
         xdotool imagemagick fonts-ipafont-gothic fonts-wine locales python3 nsis)

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

# Wine needs a Japanese locale so that the program's ANSI code page is 932,
# and an English one for the English display language.
if [ "${1:-}" != "--native-only" ]; then
  for loc in ja_JP en_US; do
    locale -a 2>/dev/null | grep -qi "^$loc\.utf-\?8$" && continue
    echo "install-deps: generating $loc.UTF-8"
    sudo_ sed -i "s/^# *\($loc.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen || echo "$loc.UTF-8 UTF-8" | sudo_ tee -a /etc/locale.gen >/dev/null
    sudo_ locale-gen >/dev/null
  done
fi
# Some machines cannot run 32-bit x86 code at all (the kernel refuses i386
# programs, so wine32 cannot start). There the 32-bit Wine runs under qemu's
# user-mode emulator, which must be 8.1 or later (bookworm-backports);
# scripts/wine-env.sh registers it with binfmt_misc when the suite runs.
i386_native() {
  ! grep -qs '^interpreter .*qemu-i386' /proc/sys/fs/binfmt_misc/* &&
    /usr/lib/wine/wine --version >/dev/null 2>&1
}
if [ "${1:-}" != "--native-only" ] && ! i386_native &&
   ! qemu-i386 --version 2>/dev/null | grep -qE 'version (8\.[1-9]|9\.|[1-9][0-9]\.)'; then
  echo "install-deps: no 32-bit execution here: installing qemu-user from bookworm-backports"
  if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    printf '%s\n' 'Types: deb' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm-backports' \
      'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
      sudo_ tee /etc/apt/sources.list.d/bookworm-backports.sources >/dev/null
  fi
  export DEBIAN_FRONTEND=noninteractive
  sudo_ apt-get update -qq
  sudo_ apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user >/dev/null
fi
echo "install-deps: all packages present"
