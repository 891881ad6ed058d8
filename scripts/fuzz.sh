#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, the address and undefined-behaviour sanitizers and
# coverage instrumentation in build-fuzz/, writes their seeds from files the program makes
# itself, and runs each target for a while. Not part of the test command.
#
#   bash scripts/fuzz.sh [seconds per target (600)] [target ...]
#
# Targets: reel_folder state_blob archive_import user_files (all by default). FUZZ_JOBS (2)
# targets run at once, one process each. Corpora grow in build-fuzz/corpus/<target>; crashes,
# hangs (no result within FUZZ_TIMEOUT seconds, 10 by default) and leaks are written to
# build-fuzz/findings/<target>, each run's log to build-fuzz/logs/<target>.log. The script fails
# when any target found something.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${1:-600}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(reel_folder state_blob archive_import user_files)
fi
jobs="${FUZZ_JOBS:-2}"
timeout_seconds="${FUZZ_TIMEOUT:-10}"

bash "$root/scripts/install-deps.sh"

# clang and its runtime libraries (libFuzzer, the sanitizers) from Debian.
missing=()
for package in clang libclang-rt-14-dev; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo_cmd=(sudo)
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-time_macros}"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
export CCACHE_NOHASHDIR=true

flags="-g -O1 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=all -fsanitize=fuzzer-no-link"
CC=clang CXX=clang++ cmake -S "$root" -B "$build_dir" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    -DDRAVIN8_BUILD_TESTS=OFF -DDRAVIN8_BUILD_BENCHMARKS=OFF -DDRAVIN8_BUILD_FUZZERS=ON \
    -DDRAVIN8_WARNINGS_AS_ERRORS=OFF >/dev/null

build_targets=(dravin8_fuzz_seeds)
for target in "${targets[@]}"; do
    build_targets+=("dravin8_fuzz_$target")
done
cmake --build "$build_dir" -j "${FUZZ_BUILD_JOBS:-$(nproc)}" --target "${build_targets[@]}"

# Seeds: written afresh each run and added to the corpora, which keep what earlier runs found.
export DRAVIN8_FUZZ_FOLDER="$build_dir/work"
seeds="$build_dir/seeds"
rm -rf "$seeds"
ASAN_OPTIONS=detect_leaks=0 "$build_dir/fuzz/dravin8_fuzz_seeds" "$seeds"

corpus_of() {
    case "$1" in
        reel_folder) echo reel ;;
        state_blob) echo state ;;
        archive_import) echo archive ;;
        user_files) echo userfiles ;;
    esac
}

mkdir -p "$build_dir/logs"
run_target() {
    local target="$1"
    local corpus="$build_dir/corpus/$target"
    local findings="$build_dir/findings/$target"
    mkdir -p "$corpus" "$findings"
    cp -n "$seeds/$(corpus_of "$target")"/* "$corpus/" 2>/dev/null || true
    # JUCE keeps singletons and the processor's threads alive to the end: leaks at exit are
    # not findings. Everything else (a crash, a sanitizer report, a hang) is.
    ASAN_OPTIONS="detect_leaks=0:allocator_may_return_null=1" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
        "$build_dir/fuzz/dravin8_fuzz_$target" "$corpus" \
        -max_total_time="$seconds" -timeout="$timeout_seconds" -rss_limit_mb=4096 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings/" \
        >"$build_dir/logs/$target.log" 2>&1
}

status=0
pids=()
names=()
for target in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
        sleep 1
    done
    echo "Fuzzing $target for $seconds s"
    run_target "$target" &
    pids+=($!)
    names+=("$target")
done

for i in "${!pids[@]}"; do
    if wait "${pids[$i]}"; then
        result="clean"
    else
        result="FOUND A FAULT (see $build_dir/findings/${names[$i]})"
        status=1
    fi
    # libFuzzer's last status line: executions, coverage (cov) and features (ft).
    summary="$(grep -E '^#[0-9]+' "$build_dir/logs/${names[$i]}.log" | tail -1 || true)"
    echo "${names[$i]}: $result: $summary"
done

exit $status
