#!/usr/bin/env bash
# How varnel-image copes with a damaged disk: a 1 GiB disk (a loop device over a FUSE file of
# our own) with one 4 MiB bad area in its middle, every failing read of it taking 5 ms. Prints
# when all readable data was saved, the total time and the sectors written as zeros.
# Needs root, /dev/fuse and loop devices. Usage: bench/rescue.sh
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/default
if [[ ! -x $build/src/cli/varnel-image || ! -x $build/tests/bad_sector_fs ]]; then
    cmake --preset default >/dev/null
    cmake --build --preset default --target varnel-image bad_sector_fs
fi
image_tool=$PWD/$build/src/cli/varnel-image
file_system=$PWD/$build/tests/bad_sector_fs

work=$(mktemp -d /var/tmp/varnel-rescue.XXXXXX)
loop=""
server=""
cleanup() {
    [[ -n $loop ]] && losetup -d "$loop" || true
    mountpoint -q "$work/mnt" && { fusermount3 -u "$work/mnt" || umount -l "$work/mnt"; } || true
    [[ -n $server ]] && wait "$server" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

size=$((1 << 30))
bad_start=$((512 << 20))
bad_length=$((4 << 20))
head -c "$size" /dev/urandom >"$work/image"
echo "bad $bad_start $bad_length delay=5" >"$work/rules"
mkdir "$work/mnt"
"$file_system" "$work/image" "$work/rules" "$work/mnt" -f -o fsname=varnel-rescue-bench \
    >"$work/server.log" 2>&1 &
server=$!
for _ in $(seq 100); do mountpoint -q "$work/mnt" && break; sleep 0.05; done
loop=$(losetup --find --show --direct-io=on --sector-size 512 "$work/mnt/disk")

# The good data is saved when the map has nothing left outside the bad area: no run that is
# not tried, and runs to be read sector by sector only inside the area.
good_saved() {
    [[ -f $work/map ]] || return 1
    local first length state
    while read -r first length state; do
        [[ $first == 0x* ]] || continue
        local begin=$((first)) end=$((first + length))
        [[ $state == "?" ]] && return 1
        if [[ $state == "*" ]] && ((end <= bad_start - 262144 || begin >= bad_start + bad_length + 262144)); then
            return 1
        fi
    done <"$work/map"
    return 0
}

start=$(date +%s.%N)
"$image_tool" -q --map "$work/map" "$loop" "$work/out.img" >"$work/stdout" 2>"$work/stderr" &
copy=$!
saved=""
while kill -0 "$copy" 2>/dev/null; do
    if [[ -z $saved ]] && good_saved; then
        saved=$(date +%s.%N)
    fi
    sleep 0.2
done
wait "$copy" && status=0 || status=$?
end=$(date +%s.%N)

echo "exit status: $status"
cat "$work/stdout" "$work/stderr"
printf 'good data saved after: %.1f s (the map is written every 3 s)\n' "$(echo "${saved:-$end} - $start" | bc)"
printf 'total: %.1f s\n' "$(echo "$end - $start" | bc)"
echo "bad area: $((bad_length / 512)) sectors of 512 bytes"
