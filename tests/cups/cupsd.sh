#!/usr/bin/env bash
# A private CUPS scheduler for tests, in a folder of its own:
#   cupsd.sh start DIR   starts cupsd on DIR/cups.sock and prints that socket path
#   cupsd.sh stop DIR    stops it again
# Clients (lpadmin, lpstat, Qt) reach it with CUPS_SERVER=DIR/cups.sock. Jobs for file: queues
# end up under DIR/out, CUPS's logs under DIR/log (page_log names each job's media).
# Needs root (cupsd runs its filters as the lp user); exits 77 with the reason when it cannot run.
set -euo pipefail

cmd="${1:-}"
dir="${2:-}"
if [ -z "$cmd" ] || [ -z "$dir" ]; then
  echo "usage: $0 start|stop DIR" >&2
  exit 2
fi

skip() {
  echo "cannot start cupsd: $*" >&2
  exit 77
}

case "$cmd" in
start)
  [ "$(id -u)" -eq 0 ] || skip "needs root (cupsd runs filters as the lp user)"
  command -v cupsd >/dev/null || skip "cupsd not installed (Debian package cups)"
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  mkdir -p "$dir/etc/ppd" "$dir/spool/tmp" "$dir/cache" "$dir/state" "$dir/log" "$dir/out"
  # The lp user must reach the folder, its spool and the output files, or jobs never finish.
  chmod 755 "$dir" "$dir/etc" "$dir/cache" "$dir/state" "$dir/log"
  chmod 1777 "$dir/out" "$dir/spool/tmp"
  chmod 710 "$dir/spool"
  chgrp lp "$dir/spool" "$dir/spool/tmp" 2>/dev/null || true
  cat >"$dir/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel info
MaxLogSize 0
Browsing Off
WebInterface No
DefaultAuthType None
PreserveJobFiles Yes
PreserveJobHistory Yes
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  cat >"$dir/cups-files.conf" <<CONF
ServerRoot $dir/etc
StateDir $dir/state
CacheDir $dir/cache
RequestRoot $dir/spool
TempDir $dir/spool/tmp
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
FileDevice Yes
Sandboxing Relaxed
CONF
  cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
  echo $! >"$dir/cupsd.pid"
  for _ in $(seq 100); do
    if [ -S "$dir/cups.sock" ] && CUPS_SERVER="$dir/cups.sock" lpstat -r >/dev/null 2>&1; then
      echo "$dir/cups.sock"
      exit 0
    fi
    kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null || break
    sleep 0.1
  done
  err=$(tail -n 3 "$dir/log/error_log" "$dir/log/cupsd.out" 2>/dev/null | tr '\n' ' ')
  kill "$(cat "$dir/cupsd.pid")" 2>/dev/null || true
  rm -f "$dir/cupsd.pid"
  skip "cupsd did not answer on $dir/cups.sock: $err"
  ;;
stop)
  [ -f "$dir/cupsd.pid" ] || exit 0
  pid=$(cat "$dir/cupsd.pid")
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
  rm -f "$dir/cupsd.pid"
  ;;
*)
  echo "usage: $0 start|stop DIR" >&2
  exit 2
  ;;
esac
