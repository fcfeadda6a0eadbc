#!/usr/bin/env bash
# orvel-cli headers of a group of COUNT generated articles on INN 2, against
# a plain socket read of the same GROUP and XOVER, with COMPRESS DEFLATE on
# and off (the plain read compressed too, so both receive the same bytes):
# the ratio of the times, the peak memory, and the bytes on the wire.
#
#   bench/headers_inn_bench.sh [BUILD_DIR] [COUNT]      (defaults: build 1000000)
#
# The INN is an instance of scripts/test-servers of its own (state in
# /tmp/orvel-bench-inn-UID), not the tests': a million articles wrap its
# article buffer, which would overwrite the tests' corpus. It is stopped at
# the end and the tests' build/test-servers.env put back. The group
# (test.huge.COUNT) is made and fed on the first run, through innd's transit
# port; later runs find it there. Each side runs ROUNDS times (default 3),
# alternating; the best time of each is compared.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
count=${2:-1000000}
rounds=${ROUNDS:-3}
cli=$build/src/app/orvel-cli
corpus=$build/tools/corpus/orvel-corpus
group=test.huge.$count
env_file=$build/test-servers.env
. "$here/fixture_server.sh"
require_executables "$cli" "$corpus" /usr/bin/time

export ORVEL_TEST_SERVERS_STATE=/tmp/orvel-bench-inn-$(id -u)
[ -f "$env_file" ] && cp "$env_file" "$work/tests.env"
stop_bench_inn() {
  "$here/../scripts/test-servers" stop >/dev/null 2>&1 || true
  if [ -f "$work/tests.env" ]; then cp "$work/tests.env" "$env_file"; else rm -f "$env_file"; fi
  cleanup
}
trap stop_bench_inn EXIT
"$here/../scripts/test-servers" start >&2
. "$env_file"

plain_read() { /usr/bin/python3 "$here/plain_read.py" "$ORVEL_NNTP_PORT" "$group" "$@"; }

# INN refuses the corpus's few repeated Message-IDs, so the group ends with
# somewhat fewer than COUNT articles: a mark in INN's state says it was fed.
fed=$ORVEL_TS_STATE/fed-$group
if [ ! -f "$fed" ]; then
  INNCONF=$ORVEL_TS_STATE/etc/inn.conf /usr/lib/news/bin/ctlinnd -s -t 10 newgroup "$group" y bench@test.invalid || true
  /usr/bin/python3 "$here/inn_feed_corpus.py" "$corpus" 127.0.0.1 "$ORVEL_NNTP_FEED_PORT" "$group" 1 "$count"
  touch "$fed"
fi

# One orvel-cli run on a fresh base directory: wall seconds, peak KB, wire bytes.
cli_run() {
  local base=$work/base-$1-$2
  rm -rf "$base"
  mkdir -p "$base"
  printf '[Profiles]\r\ncount=1\r\n1=inn,127.0.0.1:%s\r\nDefault=1\r\n[inn]\r\nCompress=%s\r\n' \
    "$ORVEL_NNTP_PORT" "$2" >"$base/servers.ini"
  printf '[Misc]\r\nStorageExp=0\r\n' >"$base/Orvel.ini"
  /usr/bin/time -v "$cli" --base "$base" headers inn "$group" --verbose >/dev/null 2>"$work/time"
  local wall peak wire
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$work/time" |
    awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
  peak=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time")
  wire=$(awk '/^wire: / {print $2}' "$work/time")
  grep -qE '^(Pret!|Groupe inchang)' "$work/time" || { cat "$work/time" >&2; exit 1; }
  echo "$wall $peak $wire"
}

best() { awk -v a="${1:-$2}" -v b="$2" 'BEGIN { print (b < a ? b : a) }'; }
for compress in 0 1; do
  best_plain= best_cli=
  for r in $(seq "$rounds"); do
    read -r t bytes _ < <(plain_read $([ "$compress" = 1 ] && echo --compress))
    read -r c peak wire < <(cli_run "$r" "$compress")
    echo "compress $compress round $r: plain read ${t}s ($bytes bytes), orvel-cli headers ${c}s," \
      "peak ${peak} KB, wire $wire bytes"
    best_plain=$(best "$best_plain" "$t")
    best_cli=$(best "$best_cli" "$c")
  done
  awk -v p="$best_plain" -v c="$best_cli" -v z="$compress" 'BEGIN {
    printf "COMPRESS %s: orvel-cli %.2f s, plain read %.2f s, ratio %.2f\n", (z ? "on" : "off"), c, p, c / p
  }'
done
