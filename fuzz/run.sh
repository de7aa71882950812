#!/bin/sh
# Builds fuzz_reply and runs it for the given number of seconds (default 60). Exits non-zero
# when the fuzzer finds a crash, a leak, an allocation over the limit or a failed check; the
# input that caused it is left in the build folder.
set -eu
seconds=${1:-60}
here=$(cd "$(dirname "$0")" && pwd)
build=${ZRUN_FUZZ_BUILD:-$here/../build-fuzz}

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" --target fuzz_reply -j 2

# New inputs go to a scratch folder, so the committed seeds stay as they are.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Decoding is bounded by the input: no single allocation needs anywhere near 64 MB.
"$build/fuzz_reply" -max_len=4096 -max_total_time="$seconds" -timeout=10 -malloc_limit_mb=64 \
    -dict="$here/reply.dict" -artifact_prefix="$build/" -print_final_stats=1 "$work" "$here/corpus"
