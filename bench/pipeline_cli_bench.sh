#!/usr/bin/env bash
# orvel-cli headers of a group whose read marks cut it into many ranges, one
# command at a time against pipelined, over loopback from the fixture server:
# the time of each and whether both gave the same rows and the same store.
#
#   bench/pipeline_cli_bench.sh [BUILD_DIR] [COUNT] [STRIDE]
#       (defaults: build 200000 50)
#
# In every STRIDE numbers the first half is read, so the download asks for
# COUNT / STRIDE ranges (read runs longer than the gap the ranges bridge).
# Each depth runs ROUNDS times (default 3), alternating; the best time counts.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
count=${2:-200000}
stride=${3:-50}
rounds=${ROUNDS:-3}
cli=$build/src/app/orvel-cli
server=$build/tools/fixture_server/orvel-fixture-server
group=alt.bench.ranges
. "$here/fixture_server.sh"

require_executables "$cli" "$server" /usr/bin/time

start_fixture_server "$server" --generate "$group:$count"

marks=$(awk -v n="$count" -v s="$stride" 'BEGIN {
  sep = ""
  for (a = 1; a <= n; a += s) { printf "%s%d-%d", sep, a, a + s / 2 - 1; sep = "," }
}')

# One run at a depth on a fresh base directory: wall seconds.
cli_run() {
  local depth=$1 base=$work/base-$1
  rm -rf "$base"
  mkdir -p "$base"
  "$cli" --base "$base" servers add bench "127.0.0.1:$port" >/dev/null
  printf '[bench]\r\nPipelining=%d\r\n' "$depth" >>"$base/servers.ini"
  printf '[Misc]\r\nStorageExp=0\r\n' >"$base/Orvel.ini"
  printf '%s: %s\r\n' "$group" "$marks" >"$base/bench.newsrc"
  /usr/bin/time -v "$cli" --base "$base" headers bench "$group" >"$work/rows-$depth" \
    2>"$work/time-$depth"
  grep -qE '^(Pret!|Groupe inchang)' "$work/time-$depth" || { cat "$work/time-$depth" >&2; exit 1; }
  awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$work/time-$depth" |
    awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }'
}

best1=
best4=
for r in $(seq "$rounds"); do
  t1=$(cli_run 1)
  t4=$(cli_run 4)
  echo "round $r: one at a time ${t1}s, pipelined (4) ${t4}s"
  best1=$(awk -v a="${best1:-$t1}" -v b="$t1" 'BEGIN { print (b < a ? b : a) }')
  best4=$(awk -v a="${best4:-$t4}" -v b="$t4" 'BEGIN { print (b < a ? b : a) }')
done

same=yes
cmp -s "$work/rows-1" "$work/rows-4" || same=no
cmp -s "$work/base-1/data/[bench] $group.hdr" "$work/base-4/data/[bench] $group.hdr" || same=no
awk -v a="$best1" -v b="$best4" -v n="$count" -v s="$stride" -v same="$same" \
  -v rows="$(wc -l <"$work/rows-4")" 'BEGIN {
  printf "articles asked:      %d in %d ranges\n", n / 2, n / s
  printf "rows:                %d\n", rows
  printf "one at a time:       %.2f s (best of the rounds)\n", a
  printf "pipelined (4):       %.2f s (best of the rounds)\n", b
  printf "same rows and store: %s\n", same
}'
