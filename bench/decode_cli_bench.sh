#!/usr/bin/env bash
# orvel-cli decode of a generated set of multi-part yEnc articles, one article
# per file, with the files in the page cache: decoded MB/s and peak memory.
#
#   bench/decode_cli_bench.sh [BUILD_DIR] [FILES] [FILE_MB]   (defaults: build 5 40)
#
# The default set is 200 MB in 315 articles of 640,000 decoded bytes. Each
# run decodes into a fresh directory; ROUNDS runs (default 3), the best time
# is printed. ORVEL_CLI names another orvel-cli to time on the same set.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
files=${2:-5}
file_mb=${3:-40}
rounds=${ROUNDS:-3}
cli=${ORVEL_CLI:-$build/src/app/orvel-cli}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for f in "$cli" /usr/bin/time /usr/bin/python3; do
  [ -x "$f" ] || { echo "missing: $f" >&2; exit 1; }
done

# Random file contents from a fixed seed, cut into parts of 640,000 bytes,
# encoded in lines of 128 columns with the usual escapes.
/usr/bin/python3 - "$work/articles" "$files" "$file_mb" <<'EOF'
import os, random, re, sys, zlib
out, files, file_mb = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
part_size = 640000
os.makedirs(out)
rng = random.Random(20)
shift = bytes((b + 42) & 255 for b in range(256))
critical = re.compile(rb'[\x00\n\r=]')
units = re.compile(rb'(?:=.|[^=]){1,128}', re.S)
def encode(data):
    text = critical.sub(lambda m: b'=' + bytes([(m.group()[0] + 64) & 255]), data.translate(shift))
    return b'\r\n'.join(units.findall(text)) + b'\r\n'
for f in range(1, files + 1):
    name = 'file%d.bin' % f
    data = rng.randbytes(file_mb * 1000 * 1000)
    total = (len(data) + part_size - 1) // part_size
    whole = zlib.crc32(data)
    for k in range(1, total + 1):
        begin = (k - 1) * part_size
        piece = data[begin:begin + part_size]
        head = ('From: bench <bench@example.invalid>\r\nNewsgroups: alt.binaries.bench\r\n'
                'Subject: "%s" yEnc (%d/%d)\r\nMessage-ID: <%d.%d@bench.invalid>\r\n\r\n'
                '=ybegin part=%d total=%d line=128 size=%d name=%s\r\n'
                '=ypart begin=%d end=%d\r\n'
                % (name, k, total, f, k, k, total, len(data), name, begin + 1, begin + len(piece)))
        tail = '=yend size=%d part=%d pcrc32=%08x' % (len(piece), k, zlib.crc32(piece))
        if k == total:
            tail += ' crc32=%08x' % whole
        with open(os.path.join(out, 'f%02d-p%03d.eml' % (f, k)), 'wb') as fh:
            fh.write(head.encode() + encode(piece) + tail.encode() + b'\r\n')
EOF

articles=("$work"/articles/*.eml)
decoded=$((files * file_mb * 1000 * 1000))
cat "${articles[@]}" >/dev/null  # into the page cache

best=
for round in $(seq "$rounds"); do
  rm -rf "$work/out"
  mkdir "$work/out"
  /usr/bin/time -v -o "$work/time" "$cli" decode --out "$work/out" "${articles[@]}" >"$work/log"
  grep -c '^decoded: ' "$work/log" | grep -qx "$files" || { echo "not every file decoded" >&2; cat "$work/log" >&2; exit 1; }
  elapsed=$(awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s}' "$work/time")
  user=$(awk -F': ' '/User time/ {print $2}' "$work/time")
  sys=$(awk -F': ' '/System time/ {print $2}' "$work/time")
  rss=$(awk -F': ' '/Maximum resident/ {print $2}' "$work/time")
  echo "round $round: ${elapsed} s (user ${user} s, system ${sys} s), peak RSS ${rss} KB"
  if [ -z "$best" ] || awk -v a="$elapsed" -v b="$best" 'BEGIN {exit !(a < b)}'; then best=$elapsed; fi
done
echo "articles: ${#articles[@]}, decoded bytes: $decoded"
awk -v b="$decoded" -v t="$best" 'BEGIN {printf "best: %.3f s = %.0f MB/s\n", t, b / t / 1e6}'
