#!/usr/bin/env bash
# Builds and runs tests/library/project: another CMake project that adds this tree with
# add_subdirectory and links dravin8_core alone, as the README says it can.
#   check-library.sh BUILD_DIR
# The build folder sits beside the main one (same depth), so ccache serves the core's objects
# from the main build.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${1:?build folder}"

export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-time_macros}"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
export CCACHE_NOHASHDIR=true

launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

cmake -S "$root/tests/library/project" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DDRAVIN8_SOURCE_DIR="$root" "${launcher[@]}" >/dev/null
cmake --build "$build_dir" --target library_user

# No network from a check.
DRAVIN8_UPDATE_URL= "$build_dir/library_user"
