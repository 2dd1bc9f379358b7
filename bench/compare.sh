#!/usr/bin/env bash
# Copies 1 GiB with varnel-image and with dd bs=256K in alternation, several rounds each, for
# sectors of 512 and 520 bytes, on tmpfs (/dev/shm) and on the disk's file system (a folder
# under build/bench), and prints the median time of each and their ratio. Then the peak memory
# of varnel-image and the cost of the window's event processing per chunk.
#
# Both tools write a new file every round: the target is deleted before each run. dd runs with
# no conv= option; varnel-image flushes its target when the copy ends, which dd does not do, so
# on the disk's file system a third column shows dd with conv=fsync for comparison. The source
# is made once per file system and stays in the page cache, so reads come from memory.
#
# Usage: bench/compare.sh [ROUNDS]     (default 5; builds the bench preset first)
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${1:-5}
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

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

printf '%-10s %-4s %10s %10s %7s %16s\n' "where" "S" "varnel s" "dd s" "ratio" "dd+fsync s"
for where in /dev/shm "$PWD/build/bench"; do
    folder=$(mktemp -d "$where/varnel-bench.XXXXXX")
    made+=("$folder")
    source=$folder/source.img
    target=$folder/target.img
    head -c "$((size_mib * 1024 * 1024))" /dev/urandom >"$source"
    for sector in 512 520; do
        varnel=() dd_plain=() dd_sync=()
        for ((round = 0; round < rounds; round++)); do
            rm -f "$target"
            varnel+=("$(seconds "$program" -q -s "$sector" "$source" "$target")")
            rm -f "$target"
            dd_plain+=("$(seconds dd if="$source" of="$target" bs=256K status=none)")
            if [[ $where != /dev/shm ]]; then
                rm -f "$target"
                dd_sync+=("$(seconds dd if="$source" of="$target" bs=256K conv=fsync status=none)")
            fi
        done
        v=$(median "${varnel[@]}")
        d=$(median "${dd_plain[@]}")
        s="-"
        if ((${#dd_sync[@]})); then
            s=$(median "${dd_sync[@]}")
        fi
        label=tmpfs
        [[ $where != /dev/shm ]] && label=disk
        printf '%-10s %-4s %10s %10s %7s %16s\n' "$label" "$sector" "$v" "$d" "$(ratio "$v" "$d")" "$s"
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
