#!/usr/bin/env bash
# A throwaway PostgreSQL 15 cluster for the tests: its files and its Unix socket in one temporary
# folder, no TCP port. "start DIR" prints nothing and leaves DIR/uri holding the connection URI of
# the cluster's maintenance database; "stop DIR" stops it and removes DIR. initdb refuses to run as
# root, so as root the cluster runs as the "postgres" user that the Debian package creates.
set -euo pipefail
action=${1:?start|stop}
dir=${2:?folder}
bin=$(ls -d /usr/lib/postgresql/15/bin 2>/dev/null || true)
as_owner=()
if [ "$(id -u)" = 0 ]; then
  as_owner=(runuser -u postgres --)
fi
case $action in
  start)
    [ -x "$bin/initdb" ] || { echo "Нет сервера PostgreSQL 15 (пакет postgresql-15): scripts/deps.sh его ставит" >&2; exit 1; }
    # A cluster left running there by an interrupted run goes first.
    "$0" stop "$dir"
    mkdir -p "$dir"
    [ "$(id -u)" = 0 ] && chown postgres: "$dir"
    "${as_owner[@]}" "$bin/initdb" -D "$dir/data" -U vi23 --auth=trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 \
      || { cat "$dir/initdb.log" >&2; exit 1; }
    "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
      -o "-c listen_addresses='' -c unix_socket_directories='$dir' -c port=5432 -c fsync=off" start >/dev/null \
      || { cat "$dir/server.log" >&2; exit 1; }
    echo "postgresql:///postgres?host=$dir&port=5432&user=vi23" >"$dir/uri"
    ;;
  stop)
    if [ -d "$dir/data" ]; then
      "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$dir"
    ;;
  *) echo "start или stop" >&2; exit 2 ;;
esac
