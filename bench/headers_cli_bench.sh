#!/usr/bin/env bash
# orvel-cli headers of a large generated group over loopback, against a plain
# socket read of the same XOVER output from the same fixture server, in one
# run: the ratio of the two times, and orvel-cli's peak memory per article
# (maximum resident size of the run minus that of a run on an empty group).
#
#   bench/headers_cli_bench.sh [BUILD_DIR] [COUNT]      (defaults: build 1000000)
#
# The download stores its headers (StorageExp=0 so that none expires at the
# close) and threads them; the rows go to /dev/null. Each side runs ROUNDS
# times (default 3), alternating; the best time of each is compared. With
# two processors or more the server runs on the first and the readers on the
# second, so that neither reader slows the server down by competing with it.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
count=${2:-1000000}
rounds=${ROUNDS:-3}
cli=$build/src/app/orvel-cli
server=$build/tools/fixture_server/orvel-fixture-server
group=alt.bench.headers
. "$here/fixture_server.sh"

require_executables "$cli" "$server" /usr/bin/time

server_cpu=()
reader_cpu=()
if command -v taskset >/dev/null && [ "$(nproc)" -ge 2 ]; then
  server_cpu=(taskset -c 0)
  reader_cpu=(taskset -c 1)
fi

start_fixture_server "${server_cpu[@]}" "$server" --generate "$group:$count" \
  --generate alt.bench.empty:0

# The plain read: GROUP, then XOVER of the whole group, counting bytes until
# the terminating line.
plain_read() { "${reader_cpu[@]}" /usr/bin/python3 "$here/plain_read.py" "$port" "$group"; }

# One orvel-cli run on a fresh base directory: wall seconds and peak KB.
cli_run() {
  local base=$work/base-$1 name=$2
  rm -rf "$base"
  mkdir -p "$base"
  "$cli" --base "$base" servers add bench "127.0.0.1:$port" >/dev/null
  printf '[Misc]\r\nStorageExp=0\r\n' >"$base/Orvel.ini"
  "${reader_cpu[@]}" /usr/bin/time -v "$cli" --base "$base" headers bench "$name" \
    >/dev/null 2>"$work/time-$1"
  local wall peak
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$work/time-$1" |
    awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
  peak=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time-$1")
  grep -qE '^(Pret!|Groupe inchang)' "$work/time-$1" || { cat "$work/time-$1" >&2; exit 1; }
  echo "$wall $peak"
}

best_plain=
best_cli=
peak=
for r in $(seq "$rounds"); do
  read -r t bytes _ < <(plain_read)
  read -r c p < <(cli_run "$r" "$group")
  echo "round $r: plain read ${t}s ($bytes bytes), orvel-cli headers ${c}s, peak ${p} KB," \
    "$(awk -F': ' '/User time/ {u = $2} /System time/ {s = $2} END {print u "+" s}' \
      "$work/time-$r") s of processor"
  best_plain=$(awk -v a="${best_plain:-$t}" -v b="$t" 'BEGIN { print (b < a ? b : a) }')
  best_cli=$(awk -v a="${best_cli:-$c}" -v b="$c" 'BEGIN { print (b < a ? b : a) }')
  peak=$p
done
read -r _ empty_peak < <(cli_run empty alt.bench.empty)

awk -v p="$best_plain" -v c="$best_cli" -v peak="$peak" -v base="$empty_peak" -v n="$count" 'BEGIN {
  printf "articles:            %d\n", n
  printf "plain socket read:   %.2f s (best of the rounds)\n", p
  printf "orvel-cli headers:   %.2f s (best of the rounds)\n", c
  printf "ratio:               %.2f\n", c / p
  printf "peak memory:         %.0f MB (an empty group: %.0f MB)\n", peak / 1024, base / 1024
  printf "per article:         %.0f bytes\n", (peak - base) * 1024 / n
}'
