#!/usr/bin/env bash
# A throw-away PostgreSQL server on loopback for the gateway tests.
#   pg-test-server.sh start DIR PORT   # data folder DIR (created), database "tavik"
#   pg-test-server.sh stop DIR
# The server runs as the "postgres" system user when started by root
# (PostgreSQL refuses to run as root); trust authentication on 127.0.0.1.
set -euo pipefail
cmd="${1:?usage: pg-test-server.sh start|stop DIR [PORT]}"
dir="$(realpath -m "${2:?data folder}")"
# The server's user may not enter the caller's folder: work from one it can.
cd /
bin="$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)"
as_owner() {
  if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}
case "$cmd" in
  start)
    port="${3:?port}"
    mkdir -p "$dir"
    [ "$(id -u)" = 0 ] && chown postgres: "$dir"
    as_owner "$bin/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
      -o "-c listen_addresses=127.0.0.1 -p $port -k $dir -c fsync=off -c full_page_writes=off" start >/dev/null
    as_owner "$bin/createdb" -h 127.0.0.1 -p "$port" -U postgres tavik
    ;;
  stop)
    [ -d "$dir/data" ] && as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    ;;
  *) echo "usage: pg-test-server.sh start|stop DIR [PORT]" >&2; exit 2 ;;
esac
