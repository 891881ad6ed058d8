#!/usr/bin/env bash
# Builds the thread tests, the save and auto-save tests and the MIDI map tests with
# ThreadSanitizer (in build-tsan/, apart from the normal build) and runs them. Any data race
# ThreadSanitizer reports fails the run. Takes several minutes: JUCE is compiled again with
# the sanitizer. Not part of scripts/test.sh.
# Extra arguments go to each test executable (for example --gtest_filter=...). TSAN_JOBS sets
# the build's parallel jobs (default: every core).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${TSAN_BUILD_DIR:-$root/build-tsan}"

bash "$root/scripts/install-deps.sh"

export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-time_macros}"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
export CCACHE_NOHASHDIR=true

cmake -S "$root" -B "$build_dir" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER_LAUNCHER=ccache \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    -DCMAKE_C_FLAGS="-fsanitize=thread" \
    -DCMAKE_CXX_FLAGS="-fsanitize=thread" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" \
    -DDRAVIN8_BUILD_TEST_PLUGINS=OFF >/dev/null

targets=(dravin8_tests_audiothread dravin8_tests_takes dravin8_tests_reel dravin8_tests_engine)
cmake --build "$build_dir" -j "${TSAN_JOBS:-$(nproc)}" --target "${targets[@]}"

# halt_on_error: the first race ends the executable with a failure.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$root/scripts/tsan.supp ${TSAN_OPTIONS:-}"
export DRAVIN8_REQUIRE_DISPLAY=0

filters=(
    "dravin8_tests_audiothread:*"
    "dravin8_tests_takes:*-CrashSafeSave.KilledSaves*"
    "dravin8_tests_reel:*Save*:*Saving*:*AutoSave*:*Background*"
    "dravin8_tests_engine:MidiMapTest.*"
)

status=0
for entry in "${filters[@]}"; do
    exe="${entry%%:*}"
    filter="${entry#*:}"
    echo "== $exe ($filter)"
    if ! xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$build_dir/tests/$exe" --gtest_filter="$filter" "$@"; then
        status=1
    fi
done

exit $status
