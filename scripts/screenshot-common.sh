# shellcheck shell=bash
# What both picture scripts (screenshots.sh, screenshots-setup.sh) need
# before they start Wine: Wine's Marlett font, which draws the caption
# buttons, and a cleanup at exit of their prefix ($work/prefix) and Xvfb.
# Sourced after scripts/wine-env.sh; `die` is the caller's.

marlett=/usr/share/wine/fonts/marlett.ttf

# $1: the script's name, for its messages.
hg_shots_need_marlett() {
  [ -f "$marlett" ] && return 0
  echo "$1: installing fonts-wine (Marlett, for the caption buttons)"
  sudo_() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
  DEBIAN_FRONTEND=noninteractive sudo_ apt-get install -y -qq --no-install-recommends fonts-wine >/dev/null
  [ -f "$marlett" ] || die "no $marlett: install the package fonts-wine"
}

work=
hg_shots_cleanup() {
  trap - EXIT INT TERM
  if [ -n "$work" ]; then
    WINEPREFIX=$work/prefix hg_wine_stop
    rm -rf "$work"
  fi
  hg_xvfb_stop
}

# $1: the script's name, for its messages.
hg_shots_cleanup_at_exit() {
  trap hg_shots_cleanup EXIT
  # shellcheck disable=SC2064
  trap "echo '$1: interrupted'; exit 130" INT TERM
}
