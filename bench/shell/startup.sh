#!/usr/bin/env bash
# Whole-process start of waybill to its first shown main window, with a generated book of N
# recipients, under a virtual X server. Needs xvfb and xdotool (apt-get install xvfb xauth xdotool).
#
#   bench/shell/startup.sh BUILD_DIR [recipients=100000] [runs=9]
# Run it inside xvfb-run:  xvfb-run -a bench/shell/startup.sh build
set -euo pipefail
bin="$(cd "$1" && pwd)/bin"
count="${2:-100000}"
runs="${3:-9}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$bin/waybillctl" init . 2>/dev/null
# A book for the program: the benchmark generator writes into its own temporary folder, so fill
# this one through the sqlcipher shell.
{
  echo "PRAGMA key='358146392850'; BEGIN;"
  echo "INSERT INTO outrxx VALUES ('北京朴桥商贸有限公司','王经理','北京市朝阳区建国路88号','100022','010-85889999','13911112222','王');"
  seq 1 "$count" | awk '{printf "INSERT INTO inrxx VALUES (\"深圳某某电子科技有限公司\",\"收件人%d\",\"广东省深圳市南山区科技园南区高新南七道%d号创维大厦%d室\",\"518000\",\"0755-86001234\",\"139%08d\",\"\");\n", $1, $1%300, 1000+$1%900, $1}'
  echo "COMMIT;"
} | sqlcipher data.mdb >/dev/null
times=()
for ((i = 0; i < runs; i++)); do
  start=$(date +%s%N)
  XDG_RUNTIME_DIR="$work" "$bin/waybill" 2>"$work/stderr.txt" &
  pid=$!
  until xdotool search --onlyvisible --name "朴桥EMS" >/dev/null 2>&1; do
    kill -0 "$pid" 2>/dev/null || { echo "waybill ended before its window showed:"; cat "$work/stderr.txt"; exit 1; }
  done
  end=$(date +%s%N)
  kill "$pid"; wait "$pid" 2>/dev/null || true
  times+=($(( (end - start) / 1000000 )))
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "book: $count recipients; start to first shown main window: median ${sorted[$((runs / 2))]} ms (runs: ${times[*]})"
