#!/bin/sh
#===- wine-run.sh - Runs one Windows test program under 64-bit Wine -------===#
#
# Quiet (no debug channels), no Mono or Gecko install prompts, and a prefix
# of the build's own unless the caller chose one, so a fresh machine needs no
# interactive set-up.
#
#===----------------------------------------------------------------------===#
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="${WINEPREFIX:-$here/build/wineprefix}"
unset DISPLAY
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=wine64
exec "$wine" "$@"
