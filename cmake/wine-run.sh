#!/bin/sh
# Runs one Windows test program under wine, in the prefix prepared by scripts/test.
# The prefix has no Z: drive (it would expose the whole Linux tree to the tool's
# folder removal); the win64 build tree is mapped as drive Y: instead, so the
# program path is translated to Y:\...
: "${VELMORA_WINEPREFIX:?run the Windows tests through scripts/test}"
: "${VELMORA_WIN64_DIR:?run the Windows tests through scripts/test}"
export WINEPREFIX="$VELMORA_WINEPREFIX" WINEDEBUG="${WINEDEBUG:--all}"
exe=$1; shift
case "$exe" in
  "$VELMORA_WIN64_DIR"/*) exe="Y:$(printf '%s' "${exe#"$VELMORA_WIN64_DIR"}" | tr / '\\')" ;;
esac
timeout "${VELMORA_TEST_TIMEOUT:-300}" wine "$exe" "$@"
rc=$?
# A program that wine could not start prints nothing of its own; say so.
case $rc in
  0) ;;
  124) echo "wine-run: $exe was stopped after ${VELMORA_TEST_TIMEOUT:-300} s" >&2 ;;
  *) echo "wine-run: $exe ended with status $rc" >&2 ;;
esac
exit $rc
