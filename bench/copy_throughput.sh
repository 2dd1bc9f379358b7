#!/usr/bin/env bash
# Throughput of the copy loop beside dd on the same 1 GiB file: dd with 256 KiB blocks, then
# the copy loop with 512- and 520-byte sectors, in several rounds.
#   bench/copy_throughput.sh [FOLDER] [DRIVER] [ROUNDS]
# FOLDER holds the scratch files (default /dev/shm); DRIVER is the built copy_driver
# (default build/bench/bench/copy_driver); ROUNDS defaults to 3.
set -euo pipefail
folder=${1:-/dev/shm}
driver=${2:-$(dirname "$0")/../build/bench/bench/copy_driver}
work=$(mktemp -d "$folder/copy-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

head -c 1073741824 /dev/urandom >"$work/source.img"
rounds=${3:-3}
for round in $(seq "$rounds"); do
    echo "--- round $round"
    rm -f "$work/target.img"
    start=$(date +%s.%N)
    dd if="$work/source.img" of="$work/target.img" bs=256K conv=fsync status=none
    end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" \
        'BEGIN { printf "dd bs=256K: %.3f s, %.1f MiB/s\n", e - s, 1024 / (e - s) }'
    for sector in 512 520; do
        rm -f "$work/target.img"
        : >"$work/target.img"
        "$driver" "$work/source.img" "$work/target.img" "$sector"
    done
done
