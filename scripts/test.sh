#!/usr/bin/env bash
# Builds TavrelREX with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh" --test
build="$root/build/test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVREL_SANITIZE=ON >/dev/null
cmake --build "$build"

# The fuzz harnesses, when clang and its fuzzer runtime are installed: each runs a few seconds
# on a copy of its seed corpus, and a crash fails the script.
if command -v clang++ >/dev/null &&
    ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-*.a >/dev/null 2>&1; then
    fuzz="$root/build/fuzz"
    CC=clang CXX=clang++ cmake -S "$root" -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTAVREL_FUZZ=ON -DTAVREL_BUILD_UI=OFF -DTAVREL_BUILD_TESTS=OFF \
        -DTAVREL_BUILD_BENCH=OFF >/dev/null
    harnesses=(sdfheader tsdheader parameterfile sdfblocks)
    cmake --build "$fuzz" -j 2 --target "${harnesses[@]/#/fuzz_}"
    for h in "${harnesses[@]}"; do
        work="$(mktemp -d)"
        cp "$root/tests/fuzz/corpus/$h/"* "$work/"
        echo "fuzzing $h for 5 seconds"
        if ! (cd "$work" && "$fuzz/tests/fuzz/fuzz_$h" -max_total_time=5 -timeout=10 . \
            >"$work.log" 2>&1); then
            tail -n 40 "$work.log" >&2
            echo "fuzz_$h found a failure; the input is in $work" >&2
            exit 1
        fi
        tail -n 1 "$work.log"
        rm -rf "$work" "$work.log"
    done
fi

# Last, so that the test summary closes the output.
cd "$build"
ctest --output-on-failure --timeout 600
