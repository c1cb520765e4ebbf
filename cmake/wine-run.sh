#!/bin/sh
# Runs one Windows test program under wine, in the prefix prepared by scripts/test.
# The prefix has no Z: drive (it would expose the whole Linux tree to the tool's
# folder removal); the win64 build tree is mapped as drive Y: instead, so the
# program path, and the path of the result file the program is asked to write
# (--gtest_output=xml:<file>), are translated to Y:\...
: "${VELMORA_WINEPREFIX:?run the Windows tests through scripts/test}"
: "${VELMORA_WIN64_DIR:?run the Windows tests through scripts/test}"
export WINEPREFIX="$VELMORA_WINEPREFIX" WINEDEBUG="${WINEDEBUG:--all}"

on_y() {
  case "$1" in
    "$VELMORA_WIN64_DIR"/*) printf 'Y:%s' "$(printf '%s' "${1#"$VELMORA_WIN64_DIR"}" | tr / '\\')" ;;
    *) printf '%s' "$1" ;;
  esac
}

exe=$(on_y "$1"); shift
for a in "$@"; do
  shift
  case "$a" in
    --gtest_output=xml:*) set -- "$@" "--gtest_output=xml:$(on_y "${a#--gtest_output=xml:}")" ;;
    *) set -- "$@" "$a" ;;
  esac
done
timeout "${VELMORA_TEST_TIMEOUT:-300}" wine "$exe" "$@"
rc=$?
# A program that wine could not start prints nothing of its own; say so.
case $rc in
  0) ;;
  124) printf 'wine-run: %s was stopped after %s s\n' "$exe" "${VELMORA_TEST_TIMEOUT:-300}" >&2 ;;
  *) printf 'wine-run: %s ended with status %s\n' "$exe" "$rc" >&2 ;;
esac
exit $rc
