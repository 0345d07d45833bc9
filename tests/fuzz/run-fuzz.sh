#!/bin/sh
# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Fuzzes the settings-file text and the number conversion with libFuzzer for a while.
#   tests/fuzz/run-fuzz.sh [SECONDS]        (default 60)
# Builds the fuzz target in build-fuzz/ with the clang that is installed (or PELINDRA_FUZZ_CXX), runs it
# on a copy of the corpus so that the committed corpus stays small, and prints how many inputs it
# executed. An input that breaks a rule is kept in build-fuzz/findings/; add it to tests/fuzz/corpus/
# once the fault is mended.
set -eu
seconds=${1:-60}
top=$(cd "$(dirname "$0")/../.." && pwd)
build="$top/build-fuzz"

# The plain name first, which is Debian's default version; then the newest of the numbered ones.
cxx=${PELINDRA_FUZZ_CXX:-}
if [ -z "$cxx" ] && command -v clang++ >/dev/null; then
    cxx=clang++
fi
if [ -z "$cxx" ]; then
    newest=0
    for path in /usr/bin/clang++-[0-9]*; do
        version=${path##*-}
        case "$version" in
        *[!0-9]* | "") continue ;;
        esac
        if [ -x "$path" ] && [ "$version" -gt "$newest" ]; then
            newest=$version
            cxx=$path
        fi
    done
fi
if [ -z "$cxx" ]; then
    echo "fuzz: no clang++ found; scripts/deps test installs one" >&2
    exit 1
fi
echo "fuzz: building with $(command -v "$cxx")"
CXX=$cxx cmake -S "$top/tests/fuzz" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target profile_fuzzer >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$top"/tests/fuzz/corpus/* "$work/"
mkdir -p "$build/findings"
log="$build/fuzz.log"
status=0
"$build/profile_fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$build/findings/" "$work" >"$log" 2>&1 || status=$?
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
if [ "$status" -ne 0 ]; then
    tail -n 40 "$log" >&2
    echo "fuzz: FAILED after ${runs:-?} executions; the input is in $build/findings/" >&2
    exit 1
fi
echo "fuzz: ${runs:-?} executions in $seconds s, no rule broken (log: $log)"
