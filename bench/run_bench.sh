#!/usr/bin/env bash
# Whole-job speed and memory of jrnlpeek beside The Sleuth Kit's usnjls (the same job)
# and icat (a bare copy of the $J stream, the floor for any reader of the image); and of
# jrnlpeek --csv (every field of every record) beside usnjls -m (its every-field output).
# Makes the images with the fixture tool, runs the tools alternately several times each,
# and prints medians, ratios and peak resident memory. Then the same for exported $J
# files: the 3-million-record journal as icat copies it, behind a 30 GB hole and behind
# 1 GB of stored zeros, beside cat of the whole file. Then --csv with and without paths on
# 3 million records in folders of an MFT of half a million files.
#
#   bench/run_bench.sh [RUNS] [images|exported|paths]
#                      (default 5 runs of all three; images and files are kept in build/bench)
#
# JRNLPEEK and MKJOURNAL name the programs to use (the CMake target "bench" sets them);
# without them the Linux preset is built first.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
part=${2:-all}
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

# Runs each "label command..." of the list alternately, $runs times, and leaves the median
# seconds and the peak kilobytes of each label in med[] and peak[].
run_alternately() {
  local -A times=() mems=()
  local i entry result
  for ((i = 0; i < runs; i++)); do
    for entry in "$@"; do
      result=$(measure ${entry#* })
      times[${entry%% *}]+="${result% *} "
      mems[${entry%% *}]+="${result#* } "
    done
  done
  for entry in "$@"; do
    med[${entry%% *}]=$(tr ' ' '\n' <<<"${times[${entry%% *}]}" | grep . | median)
    peak[${entry%% *}]=$(tr ' ' '\n' <<<"${mems[${entry%% *}]}" | grep . | sort -n | tail -1)
  done
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
megabytes() { awk -v k="$1" 'BEGIN {print k / 1024}'; }

wants() { [ "$part" = all ] || [ "$part" = "$1" ]; }

if wants images; then
  printf '%-14s %-22s %9s %9s %11s %11s\n' image tool seconds peak-MB vs-usnjls vs-icat
  for entry in "${images[@]}"; do
    set -- $entry
    name=$1
    make_image "$@"
    image=$work/$name.img
    stream=$(j_stream "$image")
    declare -A med=() peak=()
    run_alternately "jrnlpeek $jrnlpeek $image" "jrnlpeek-target $jrnlpeek $image 0x0007000000000077" \
      "jrnlpeek-csv $jrnlpeek --csv $image" "usnjls usnjls $image" "usnjls-m usnjls -m $image" \
      "icat icat $image $stream"
    for tool in jrnlpeek jrnlpeek-target jrnlpeek-csv usnjls usnjls-m icat; do
      ratio_u=- ratio_i=-
      if [[ $tool == jrnlpeek* ]]; then
        # The formats do the job of usnjls -m, the event line that of plain usnjls.
        peer=usnjls
        [ "$tool" = jrnlpeek-csv ] && peer=usnjls-m
        ratio_u=$(ratio "${med[$tool]}" "${med[$peer]}")
        ratio_i=$(ratio "${med[$tool]}" "${med[icat]}")
      fi
      printf '%-14s %-22s %9s %9.1f %11s %11s\n' "$name" "$tool" "${med[$tool]}" \
        "$(megabytes "${peak[$tool]}")" "$ratio_u" "$ratio_i"
    done
    unset med peak
  done
fi

# Exported $J files made from the 3-million-record image's $J, as collectors leave them.
if wants exported; then
  make_image 3m 3000000 0
  plain=$work/3m.j hole=$work/3m-hole30g.j zeros=$work/3m-zeros1g.j
  if [ ! -s "$zeros" ]; then
    icat "$work/3m.img" "$(j_stream "$work/3m.img")" >"$plain"
    # The hole is made by growing the file; the zeros are written out.
    truncate -s 30G "$hole" && cat "$plain" >>"$hole"
    head -c 1G /dev/zero >"$zeros" && cat "$plain" >>"$zeros"
  fi
  echo
  printf '%-14s %-22s %9s %9s %15s\n' 'exported $J' tool seconds peak-MB ratio
  declare -A med=() peak=()
  run_alternately "plain $jrnlpeek $plain" "hole $jrnlpeek $hole" "zeros $jrnlpeek $zeros" \
    "zeros-target $jrnlpeek $zeros 0x0007000000000077" "cat cat $zeros"
  printf '%-14s %-22s %9s %9.1f %15s\n' 3m jrnlpeek "${med[plain]}" "$(megabytes "${peak[plain]}")" -
  printf '%-14s %-22s %9s %9.1f %15s\n' 3m-hole30g jrnlpeek "${med[hole]}" "$(megabytes "${peak[hole]}")" \
    "$(ratio "${med[hole]}" "${med[plain]}") vs 3m"
  printf '%-14s %-22s %9s %9.1f %15s\n' 3m-zeros1g jrnlpeek "${med[zeros]}" "$(megabytes "${peak[zeros]}")" \
    "$(ratio "${med[zeros]}" "${med[cat]}") vs cat"
  printf '%-14s %-22s %9s %9.1f %15s\n' 3m-zeros1g jrnlpeek-target "${med[zeros-target]}" \
    "$(megabytes "${peak[zeros-target]}")" "$(ratio "${med[zeros-target]}" "${med[cat]}") vs cat"
  printf '%-14s %-22s %9s %9.1f %15s\n' 3m-zeros1g cat "${med[cat]}" "$(megabytes "${peak[cat]}")" -
fi

# Paths: 3 million records in ten folders of an MFT of 500,000 files, which the records'
# paths are looked up in; --csv with paths beside --csv --no-paths.
if wants paths; then
  image=$work/3m-paths.img
  if [ ! -s "$image" ]; then
    {
      echo "size 2G"
      echo "mkdir /Users" && echo "mkdir /Users/examiner" && echo "mkdir /Users/examiner/Documents"
      for k in 0 1 2 3 4 5 6 7 8 9; do
        echo "mkdir /Users/examiner/Documents/p$k"
        echo "populate 50000 /Users/examiner/Documents/p$k/file-{n}.txt"
      done
      for k in 0 1 2 3 4 5 6 7 8 9; do
        echo "repeat 300000 record FILE_CREATE|CLOSE frn=/Users/examiner/Documents/p$k/file-7.txt" \
             "parent=/Users/examiner/Documents/p$k name=file-7.txt"
      done
    } | "$mkjournal" "$image"
  fi
  echo
  printf '%-14s %-22s %9s %9s %15s\n' image tool seconds peak-MB ratio
  declare -A med=() peak=()
  run_alternately "paths $jrnlpeek --csv $image" "no-paths $jrnlpeek --csv --no-paths $image"
  printf '%-14s %-22s %9s %9.1f %15s\n' 3m-mft500k jrnlpeek-csv "${med[paths]}" \
    "$(megabytes "${peak[paths]}")" "$(ratio "${med[paths]}" "${med[no-paths]}") vs --no-paths"
  printf '%-14s %-22s %9s %9.1f %15s\n' 3m-mft500k jrnlpeek-csv-no-paths "${med[no-paths]}" \
    "$(megabytes "${peak[no-paths]}")" -
fi
