# Sourced by the bench scripts that read from the fixture server: a scratch
# directory in $work, the server started by start_fixture_server (its
# command line as arguments, e.g. with a taskset prefix; it sets $port), and
# both gone when the script exits.
work=$(mktemp -d)
server_pid=

cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  [ -n "$server_pid" ] && wait "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

start_fixture_server() {
  "$@" --port 0 >"$work/port" &
  server_pid=$!
  for _ in $(seq 100); do
    grep -q '^PORT' "$work/port" 2>/dev/null && break
    sleep 0.05
  done
  port=$(awk '/^PORT/ {print $2}' "$work/port")
}

# Stops the script when one of the programs it runs is not there.
require_executables() {
  for f in "$@"; do
    [ -x "$f" ] || { echo "missing: $f" >&2; exit 1; }
  done
}
