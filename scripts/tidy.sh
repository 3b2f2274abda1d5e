#!/usr/bin/env bash
# Runs clang-tidy on each file by itself, as many at a time as there are processors, with the
# same options for every file. Each file's findings are shown whole, in the order given, and
# the run fails when clang-tidy fails on any file.
# Usage: tidy.sh <clang-tidy> <option>... -- <file>...
set -uo pipefail
tidy=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
  tidy+=("$1")
  shift
done
if [ $# -eq 0 ] || [ ${#tidy[@]} -eq 0 ]; then
  echo "usage: $0 <clang-tidy> <option>... -- <file>..." >&2
  exit 64
fi
shift
files=("$@")
[ ${#files[@]} -gt 0 ] || { echo "tidy: no files to check" >&2; exit 64; }
jobs=$(nproc)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# GCC's own flags, which clang stops at, are left out of the compile commands that clang-tidy
# reads (-p <folder>): QELTOR_TIDY_WITHOUT is a regular expression of them.
if [ -n "${QELTOR_TIDY_WITHOUT:-}" ]; then
  for i in "${!tidy[@]}"; do
    if [ "${tidy[$i]}" = -p ]; then
      mkdir -p "$out/database"
      sed -E "s/ (${QELTOR_TIDY_WITHOUT})\b//g" "${tidy[$((i + 1))]}/compile_commands.json" \
        >"$out/database/compile_commands.json"
      tidy[$((i + 1))]="$out/database"
    fi
  done
fi

# The largest files first, so that no long one is left to run alone at the end.
mapfile -t order < <(for i in "${!files[@]}"; do echo "$(stat -c %s "${files[$i]}" 2>/dev/null || echo 0) $i"; done |
  sort -rn | cut -d' ' -f2)
running=0
for i in "${order[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
  { "${tidy[@]}" "${files[$i]}" >"$out/$i.log" 2>&1; echo $? >"$out/$i.rc"; } &
  running=$((running + 1))
done
wait

failed=0
for i in "${!files[@]}"; do
  rc=$(cat "$out/$i.rc" 2>/dev/null || echo 1)
  cat "$out/$i.log" 2>/dev/null
  if [ "$rc" -ne 0 ]; then
    echo "tidy: clang-tidy failed on ${files[$i]} (exit code $rc)"
    failed=$((failed + 1))
  fi
done
echo "tidy: ${#files[@]} files checked with $jobs at a time, $failed failed"
[ "$failed" -eq 0 ]
