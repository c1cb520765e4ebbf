# Shared by the scripts: where the trees live. Source it, don't run it.
# VELMORA_BUILD_ROOT lets several checkouts' builds (or engineers) sit side by side.
VELMORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_ROOT=${VELMORA_BUILD_ROOT:-$VELMORA_ROOT/build}
case "$BUILD_ROOT" in /*) ;; *) BUILD_ROOT=$VELMORA_ROOT/$BUILD_ROOT ;; esac
NATIVE_DIR=$BUILD_ROOT/native
WIN64_DIR=$BUILD_ROOT/win64
WINE_DIR=$BUILD_ROOT/wine
if [ "$BUILD_ROOT" = "$VELMORA_ROOT/build" ]; then DIST_DIR=$VELMORA_ROOT/dist/Velmora; else DIST_DIR=$BUILD_ROOT/dist/Velmora; fi
JOBS=${JOBS:-$(nproc)}
