#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the tests, on loopback, trust auth.
#   pg-test-instance.sh start DIR   create (if needed) and start the cluster in DIR
#   pg-test-instance.sh url DIR     print its connection string
#   pg-test-instance.sh stop DIR    stop it
# Works for root (the cluster then runs as the postgres user; DIR must be
# where that user can reach it, e.g. under /tmp) and for other users.
set -euo pipefail
cmd=${1:?start|url|stop}
dir=$(realpath -m "${2:?folder}")
port_file="$dir/port"
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n1)
[ -n "$bin" ] || { echo "PostgreSQL server binaries not installed" >&2; exit 1; }
# The postgres user may not be allowed into the caller's folder.
cd /

as_pg() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

# A TCP port nobody listens on at the moment.
free_port() {
  if command -v python3 >/dev/null 2>&1 &&
     python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])' 2>/dev/null; then
    return
  fi
  local p
  for _ in $(seq 1 100); do
    p=$(( RANDOM % 30000 + 20000 ))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then
      echo "$p"
      return
    fi
  done
  echo 55432
}

case "$cmd" in
  start)
    mkdir -p "$dir"
    if [ "$(id -u)" -eq 0 ]; then chown postgres:postgres "$dir"; fi
    if [ ! -f "$dir/data/PG_VERSION" ]; then
      as_pg "$bin/initdb" -D "$dir/data" -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 >/dev/null
    fi
    # The chosen port may be taken by the time the server binds it: try
    # again with another one.
    started=0
    if [ -f "$port_file" ] && as_pg "$bin/pg_ctl" -D "$dir/data" status >/dev/null 2>&1; then
      started=1  # already running
      port=$(cat "$port_file")
    fi
    for attempt in 1 2 3 4 5; do
      [ "$started" -eq 1 ] && break
      [ -f "$port_file" ] || free_port > "$port_file"
      port=$(cat "$port_file")
      if as_pg "$bin/pg_ctl" -D "$dir/data" -l "$dir/log" -w -t 30 \
           -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=200" start >/dev/null; then
        started=1
        break
      fi
      rm -f "$port_file"
    done
    if [ "$started" -ne 1 ]; then
      echo "PostgreSQL did not start; its log:" >&2
      tail -n 20 "$dir/log" >&2 || true
      exit 1
    fi
    as_pg "$bin/psql" -h 127.0.0.1 -p "$port" -U postgres -tAc "SELECT 1 FROM pg_database WHERE datname='tarsel_test'" | grep -q 1 \
      || as_pg "$bin/createdb" -h 127.0.0.1 -p "$port" -U postgres tarsel_test
    ;;
  url)
    echo "postgres://postgres@127.0.0.1:$(cat "$port_file")/tarsel_test"
    ;;
  stop)
    if [ -f "$dir/data/postmaster.pid" ]; then
      as_pg "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null || true
    fi
    ;;
esac
