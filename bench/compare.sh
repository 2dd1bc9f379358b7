#!/usr/bin/env bash
# Copies 1 GiB with varnel-image and with dd bs=256K in alternation, several rounds each, for
# sectors of 512 and 520 bytes, on tmpfs (/dev/shm) and on the disk's file system (a folder
# under build/bench), and prints the median time of each and their ratio. Then the peak memory
# of varnel-image and the cost of the window's event processing per chunk.
#
# Both tools write a new file every round: the target is deleted before each run, and the order
# of the two changes every round. dd runs with no conv= option; varnel-image flushes its target
# when the copy ends, which dd does not do, so on the disk's file system two more columns show
# dd with conv=fsync and the ratio to it. The source is made once per file system, written out
# before the first round, and stays in the page cache, so reads come from memory.
#
# Usage: bench/compare.sh [ROUNDS]     (default 7; builds the bench preset first)
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${1:-7}
size_mib=1024

cmake --preset bench >/dev/null
cmake --build --preset bench --target varnel-image event_cost_bench >/dev/null
program=$PWD/build/bench/src/cli/varnel-image
event_bench=$PWD/build/bench/bench/event_cost_bench

made=()
cleanup() {
    if ((${#made[@]})); then
        rm -rf -- "${made[@]}"
    fi
}
trap cleanup EXIT

# Seconds that the command took, with three decimals.
seconds() {
    local begin end
    begin=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    awk -v b="$begin" -v e="$end" 'BEGIN { printf "%.3f", e - b }'
}

median() {
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END {
        if (NR % 2) { printf "%.3f", v[(NR + 1) / 2] } else { printf "%.3f", (v[NR / 2] + v[NR / 2 + 1]) / 2 } }'
}

# Runs the command after deleting the target, so every run writes a new file.
fresh_target() {
    rm -f "$target"
    "$@"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

printf '%-6s %-4s %9s %9s %6s %11s %6s\n' "where" "S" "varnel s" "dd s" "ratio" "dd+fsync s" "ratio"
for where in /dev/shm "$PWD/build/bench"; do
    folder=$(mktemp -d "$where/varnel-bench.XXXXXX")
    made+=("$folder")
    source=$folder/source.img
    target=$folder/target.img
    head -c "$((size_mib * 1024 * 1024))" /dev/urandom >"$source"
    sync "$source"
    for sector in 512 520; do
        varnel=() dd_plain=() dd_sync=()
        for ((round = 0; round < rounds; round++)); do
            # The order changes every round, so neither tool always runs first.
            if ((round % 2)); then
                dd_plain+=("$(fresh_target seconds dd if="$source" of="$target" bs=256K status=none)")
                varnel+=("$(fresh_target seconds "$program" -q -s "$sector" "$source" "$target")")
            else
                varnel+=("$(fresh_target seconds "$program" -q -s "$sector" "$source" "$target")")
                dd_plain+=("$(fresh_target seconds dd if="$source" of="$target" bs=256K status=none)")
            fi
            if [[ $where != /dev/shm ]]; then
                dd_sync+=("$(fresh_target seconds dd if="$source" of="$target" bs=256K conv=fsync status=none)")
            fi
        done
        v=$(median "${varnel[@]}")
        d=$(median "${dd_plain[@]}")
        s="-" rs="-"
        if ((${#dd_sync[@]})); then
            s=$(median "${dd_sync[@]}")
            rs=$(ratio "$v" "$s")
        fi
        label=tmpfs
        [[ $where != /dev/shm ]] && label=disk
        printf '%-6s %-4s %9s %9s %6s %11s %6s\n' "$label" "$sector" "$v" "$d" "$(ratio "$v" "$d")" "$s" "$rs"
    done
    if [[ $where == /dev/shm ]]; then
        rm -f "$target"
        peak=$(/usr/bin/time -v "$program" -q "$source" "$target" 2>&1 >/dev/null |
            awk -F': ' '/Maximum resident set size/ { print $2 }')
        echo "peak memory of varnel-image (S=512, tmpfs): ${peak} KiB"
        rm -f "$target"
        for sector in 512 520; do
            "$event_bench" "$source" "$sector" "$rounds"
        done
    fi
    rm -rf -- "$folder"
done
