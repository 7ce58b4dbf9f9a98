#!/usr/bin/env bash
# Whole-job speed and memory of jrnlpeek beside The Sleuth Kit's usnjls (the same job)
# and icat (a bare copy of the $J stream, the floor for any reader of the image); and of
# jrnlpeek --csv (every field of every record) beside usnjls -m (its every-field output).
# Makes the images with the fixture tool, runs the tools alternately several
# times each, and prints medians, ratios and peak resident memory.
#
#   bench/run_bench.sh [RUNS]        (default 5 runs; images are kept in build/bench)
#
# JRNLPEEK and MKJOURNAL name the programs to use (the CMake target "bench" sets them);
# without them the Linux preset is built first.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
work=build/bench
mkdir -p "$work"

if [ -z "${JRNLPEEK:-}" ] || [ -z "${MKJOURNAL:-}" ]; then
  scripts/setup
  cmake --preset linux >/dev/null
  cmake --build build/linux --target jrnlpeek mkjournal >/dev/null
fi
jrnlpeek=${JRNLPEEK:-build/linux/jrnlpeek}
mkjournal=${MKJOURNAL:-build/linux/tests/fixture/mkjournal}

# name, record count, sparse head
images=(
  "1k 1000 0"
  "30k 30000 0"
  "3m 3000000 0"
  "3m-sparse30g 3000000 30G"
)

make_image() {  # name count head
  local image=$work/$1.img
  [ -s "$image" ] && return
  {
    # The volume must be larger than the sparse head for The Sleuth Kit to accept the runlist.
    [ "$3" != 0 ] && echo "size 40G" && echo "sparse-head $3"
    echo "repeat $2 record FILE_CREATE|CLOSE frn=0x0001000000000100 parent=0x0005000000000005 name=file-{n}.txt"
    # A few records of one file among the millions, for the filtered run.
    echo "record DATA_EXTEND|CLOSE frn=0x0007000000000077 parent=0x0005000000000005 name=target.txt"
  } | "$mkjournal" "$image"
}

# The $J stream of the image's journal, as icat names it: INODE-128-ID.
j_stream() {
  local inode id
  inode=$(ifind -n '$Extend/$UsnJrnl' "$1" 2>/dev/null)
  id=$(istat "$1" "$inode" 2>/dev/null | sed -n 's/.*Type: \$DATA (128-\([0-9]*\)).*Name: \$J.*/\1/p' | head -1)
  echo "$inode-128-$id"
}

# Prints "SECONDS KILOBYTES" for one run of the command, output to /dev/null: wall time
# from the shell's microsecond clock, peak resident memory from GNU time.
measure() {
  local start end
  start=$EPOCHREALTIME
  /usr/bin/time -f '%M' -o "$work/time.out" "$@" >/dev/null 2>&1 || true
  end=$EPOCHREALTIME
  echo "$(awk -v s="$start" -v e="$end" 'BEGIN {printf "%.4f", e - s}') $(cat "$work/time.out")"
}

median() { sort -g | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

tools=(jrnlpeek jrnlpeek-target jrnlpeek-csv usnjls usnjls-m icat)
printf '%-14s %-22s %9s %9s %11s %11s\n' image tool seconds peak-MB vs-usnjls vs-icat
for entry in "${images[@]}"; do
  set -- $entry
  name=$1
  make_image "$@"
  image=$work/$name.img
  stream=$(j_stream "$image")
  declare -A times=() mems=()
  for ((i = 0; i < runs; i++)); do
    for tool in "${tools[@]}"; do
      case $tool in
        jrnlpeek) result=$(measure "$jrnlpeek" "$image") ;;
        jrnlpeek-target) result=$(measure "$jrnlpeek" "$image" 0x0007000000000077) ;;
        jrnlpeek-csv) result=$(measure "$jrnlpeek" --csv "$image") ;;
        usnjls) result=$(measure usnjls "$image") ;;
        usnjls-m) result=$(measure usnjls -m "$image") ;;
        icat) result=$(measure icat "$image" "$stream") ;;
      esac
      times[$tool]+="${result% *} "
      mems[$tool]+="${result#* } "
    done
  done
  declare -A med=() peak=()
  for tool in "${tools[@]}"; do
    med[$tool]=$(tr ' ' '\n' <<<"${times[$tool]}" | grep . | median)
    peak[$tool]=$(tr ' ' '\n' <<<"${mems[$tool]}" | grep . | sort -n | tail -1)
  done
  for tool in "${tools[@]}"; do
    ratio_u=- ratio_i=-
    if [[ $tool == jrnlpeek* ]]; then
      # The formats do the job of usnjls -m, the event line that of plain usnjls.
      peer=usnjls
      [ "$tool" = jrnlpeek-csv ] && peer=usnjls-m
      ratio_u=$(awk -v a="${med[$tool]}" -v b="${med[$peer]}" 'BEGIN {printf "%.2f", a / b}')
      ratio_i=$(awk -v a="${med[$tool]}" -v b="${med[icat]}" 'BEGIN {printf "%.2f", a / b}')
    fi
    printf '%-14s %-22s %9s %9.1f %11s %11s\n' "$name" "$tool" "${med[$tool]}" \
      "$(awk -v k="${peak[$tool]}" 'BEGIN {print k / 1024}')" "$ratio_u" "$ratio_i"
  done
  unset times mems med peak
done
