#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the tests, on loopback, trust auth.
#   pg-test-instance.sh start DIR   create (if needed) and start the cluster in DIR
#   pg-test-instance.sh url DIR     print its connection string
#   pg-test-instance.sh stop DIR    stop it
set -euo pipefail
cmd=${1:?start|url|stop}
dir=$(realpath -m "${2:?folder}")
port_file="$dir/port"
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n1)
[ -n "$bin" ] || { echo "PostgreSQL server binaries not installed" >&2; exit 1; }

as_pg() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

case "$cmd" in
  start)
    mkdir -p "$dir"
    [ "$(id -u)" -eq 0 ] && chown postgres:postgres "$dir"
    if [ ! -f "$dir/data/PG_VERSION" ]; then
      as_pg "$bin/initdb" -D "$dir/data" -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 >/dev/null
    fi
    if [ ! -f "$port_file" ]; then
      python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])' > "$port_file" 2>/dev/null \
        || echo 55432 > "$port_file"
    fi
    port=$(cat "$port_file")
    as_pg "$bin/pg_ctl" -D "$dir/data" -l "$dir/log" -w -t 30 \
      -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=200" start >/dev/null
    as_pg "$bin/psql" -h 127.0.0.1 -p "$port" -U postgres -tAc "SELECT 1 FROM pg_database WHERE datname='tarsel_test'" | grep -q 1 \
      || as_pg "$bin/createdb" -h 127.0.0.1 -p "$port" -U postgres tarsel_test
    ;;
  url)
    echo "postgres://postgres@127.0.0.1:$(cat "$port_file")/tarsel_test"
    ;;
  stop)
    [ -f "$dir/data/postmaster.pid" ] && as_pg "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null || true
    ;;
esac
