#!/usr/bin/env bash
# Configures and builds Dravin 8 (program, tests, benchmarks) with Ninja and ccache.
# BUILD_DIR (default: build) and BUILD_TYPE (default: Release) may be set by the caller.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${BUILD_DIR:-$root/build}"
build_type="${BUILD_TYPE:-Release}"

# JUCE stamps __DATE__/__TIME__ into its core; without this ccache would never hit on it.
export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-time_macros}"
# Relative paths in the cache key let a fresh clone elsewhere reuse what an earlier build compiled.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
export CCACHE_NOHASHDIR=true
ccache --max-size=8G >/dev/null 2>&1 || true

cmake -S "$root" -B "$build_dir" -G Ninja \
    -DCMAKE_BUILD_TYPE="$build_type" \
    -DCMAKE_C_COMPILER_LAUNCHER=ccache \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null

cmake --build "$build_dir" -j "$(nproc)" "$@"
