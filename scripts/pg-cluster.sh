#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests and the demo host.
#
#   eval "$(bash scripts/pg-cluster.sh start)"   create and start one; prints export lines
#   bash scripts/pg-cluster.sh stop [folder]      stop it and remove its folder
#                                                 (folder defaults to $PQ_TEST_PG_ROOT)
#
# The cluster lives in a new temporary folder and listens only on a Unix socket inside that
# folder (no TCP port). The folder and the socket's folder have mode 0700, so no other local
# user can reach the socket. The tests and the demo host connect as "pqtest", a role that is
# no superuser and may create nothing outside its database "pagequill" (UTF8); it is trusted
# only on that private socket. The superuser is the cluster's owner, reached only by that
# operating-system user (peer authentication). initdb refuses to run as root, so when this
# script is run as root the cluster belongs to the "postgres" system user (created if
# missing) and is run through runuser; the tests' lock file belongs to the user who ran the
# script and only that user may write it.
#
# Variables printed by start (the tests read them):
#   PQ_TEST_POSTGRES   connection string of the database "pagequill" as the role "pqtest"
#   PQ_TEST_PG_CTL     pg_ctl command, as that user, to stop and start the server from a test
#                      (run as: $PQ_TEST_PG_CTL -D "$PQ_TEST_PG_DATA" -w -m fast stop, and
#                       $PQ_TEST_PG_CTL -D "$PQ_TEST_PG_DATA" -w -l "$PQ_TEST_PG_ROOT/log" start)
#   PQ_TEST_PG_DATA    the cluster's data folder
#   PQ_TEST_PG_ROOT    the temporary folder holding data, socket, log and the tests' lock file
set -euo pipefail

PG_BIN="${PG_BIN:-}"
if [ -z "$PG_BIN" ]; then
  for d in /usr/lib/postgresql/15/bin /usr/lib/postgresql/*/bin; do
    if [ -x "$d/initdb" ]; then PG_BIN="$d"; break; fi
  done
fi
if [ -z "$PG_BIN" ] || [ ! -x "$PG_BIN/initdb" ]; then
  echo "pg-cluster: initdb not found; install the postgresql package (scripts/setup.sh)" >&2
  exit 1
fi

# Runs a command as the cluster's owner.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u "$OWNER" -- "$@"
  else
    "$@"
  fi
}

OWNER="$(id -un)"
if [ "$(id -u)" -eq 0 ]; then
  OWNER=postgres
  if ! id -u "$OWNER" >/dev/null 2>&1; then
    useradd --system --no-create-home --shell /usr/sbin/nologin "$OWNER"
  fi
fi

ROLE=pqtest
DATABASE=pagequill

start() {
  local root
  # mktemp makes the folder 0700; everything below is made inside it.
  root="$(mktemp -d "${TMPDIR:-/tmp}/pq-pg.XXXXXX")"
  chmod 700 "$root"
  mkdir -m 700 "$root/data" "$root/socket"
  (umask 077 && : >"$root/tests.lock")
  if [ "$(id -u)" -eq 0 ]; then
    chown -R "$OWNER" "$root"
    # Only the tests (run as the invoking user) take the lock.
    chown "$(id -u):$(id -g)" "$root/tests.lock"
  fi

  if ! as_owner "$PG_BIN/initdb" -D "$root/data" -U "$OWNER" --auth-local=peer --auth-host=reject -E UTF8 \
      --locale=C.UTF-8 >"$root/initdb.log" 2>&1; then
    cat "$root/initdb.log" >&2
    rm -rf "$root"
    exit 1
  fi
  # Trust for the test role, and only on the Unix socket (whose folder nobody else may
  # enter); the superuser is the owner's own, by peer; nothing at all over TCP.
  cat >"$root/data/pg_hba.conf" <<EOF
local  all  $ROLE  trust
local  all  $OWNER  peer
EOF
  # Written into the configuration, so a plain "pg_ctl start" from a test brings the server
  # back exactly as it was: socket in our folder, no TCP at all.
  cat >>"$root/data/postgresql.conf" <<EOF
listen_addresses = ''
unix_socket_directories = '$root/socket'
unix_socket_permissions = 0700
port = 5432
fsync = off
full_page_writes = off
synchronous_commit = off
EOF
  if ! as_owner "$PG_BIN/pg_ctl" -D "$root/data" -w -l "$root/log" start >/dev/null; then
    cat "$root/log" >&2
    rm -rf "$root"
    exit 1
  fi

  # The role of the tests and the demo host: no superuser, no roles, no other databases.
  if ! as_owner "$PG_BIN/psql" -X -q -v ON_ERROR_STOP=1 -h "$root/socket" -p 5432 -U "$OWNER" -d postgres \
      -c "create role $ROLE login nosuperuser nocreatedb nocreaterole noreplication nobypassrls" \
      -c "create database $DATABASE owner $ROLE encoding 'UTF8' template template0" \
      -c "revoke all on database postgres, template1 from public" >"$root/roles.log" 2>&1; then
    cat "$root/roles.log" >&2
    as_owner "$PG_BIN/pg_ctl" -D "$root/data" -w -m fast stop >/dev/null 2>&1 || true
    rm -rf "$root"
    exit 1
  fi

  local ctl="$PG_BIN/pg_ctl"
  if [ "$(id -u)" -eq 0 ]; then ctl="runuser -u $OWNER -- $PG_BIN/pg_ctl"; fi
  echo "export PQ_TEST_POSTGRES='host=$root/socket port=5432 dbname=$DATABASE user=$ROLE'"
  echo "export PQ_TEST_PG_CTL='$ctl'"
  echo "export PQ_TEST_PG_DATA='$root/data'"
  echo "export PQ_TEST_PG_ROOT='$root'"
}

stop() {
  local root="${1:-${PQ_TEST_PG_ROOT:-}}"
  if [ -z "$root" ] || [ ! -d "$root/data" ]; then
    echo "pg-cluster: no cluster folder given (argument or PQ_TEST_PG_ROOT)" >&2
    exit 1
  fi
  case "$root" in
    "${TMPDIR:-/tmp}"/pq-pg.*) ;;
    *) echo "pg-cluster: $root is not a folder this script made" >&2; exit 1 ;;
  esac
  as_owner "$PG_BIN/pg_ctl" -D "$root/data" -w -m fast stop >/dev/null 2>&1 || true
  rm -rf "$root"
}

case "${1:-}" in
  start) start ;;
  stop) shift; stop "$@" ;;
  *) echo "usage: $0 start | stop [folder]" >&2; exit 2 ;;
esac
