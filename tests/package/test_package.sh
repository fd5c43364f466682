#!/usr/bin/env bash
# The .deb as a clerk gets it: built by CPack from this build, installed with apt (so its
# dependencies resolve), started the way the desktop menu starts it, on a real X server with a
# window manager and a fresh HOME, then removed again. Root only (apt); exit 77 = skipped.
set -euo pipefail
build=$(cd "$1" && pwd)

if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: installing a package with apt needs root"
  exit 77
fi
if dpkg-query -W -f='${Status}' waybill 2>/dev/null | grep -q 'install ok installed'; then
  echo "SKIP: a waybill package is installed already; this test would remove it"
  exit 77
fi
for tool in apt-get cpack lintian Xvfb openbox xdotool desktop-file-validate appstreamcli man; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (bash tools/dev.sh test installs it)"; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if dpkg-query -W -f='${Status}' waybill 2>/dev/null | grep -q 'install ok installed'; then
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq waybill >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# The build is complete already: CPack only installs it into its staging folder and packs it.
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/deb" >cpack.log 2>&1) ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/deb/waybill_*.deb)
echo "built $(basename "$deb")"
lintian --fail-on error "$deb" || fail "lintian reports errors"

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log"; fail "apt-get install"; }

# Installed files. Minimal images may tell dpkg to leave out manual pages: then look in the .deb.
for f in /usr/bin/waybill /usr/bin/waybillctl /usr/share/waybill/index.htm /usr/share/waybill/help.htm \
         /usr/share/applications/waybill.desktop /usr/share/metainfo/org.example.waybill.metainfo.xml; do
  [ -f "$f" ] || fail "not installed: $f"
done
for size in 16 22 24 32 48 64 128 256; do
  icon=/usr/share/icons/hicolor/${size}x${size}/apps/waybill.png
  [ -f "$icon" ] || fail "not installed: $icon"
  # Width and height of a PNG: bytes 16 to 23, big-endian.
  read -r w0 w1 w2 w3 h0 h1 h2 h3 < <(od -An -tu1 -j16 -N8 "$icon")
  [ $(( (w2 << 8) + w3 )) = "$size" ] && [ $(( (h2 << 8) + h3 )) = "$size" ] || fail "$icon is not ${size}x$size"
done
desktop-file-validate /usr/share/applications/waybill.desktop || fail "desktop entry"
appstreamcli validate --no-net /usr/share/metainfo/org.example.waybill.metainfo.xml >/dev/null ||
  fail "metainfo: $(appstreamcli validate --no-net /usr/share/metainfo/org.example.waybill.metainfo.xml)"
contents=$(dpkg-deb -c "$deb")
for page in waybill waybillctl; do
  [[ $contents == *"usr/share/man/man1/$page.1.gz"* ]] || fail "no manual page $page.1 in the package"
  if ! grep -rqsE '^path-exclude[= ]+/usr/share/man' /etc/dpkg/dpkg.cfg.d/; then
    man -w "$page" >/dev/null || fail "man $page finds no page"
  fi
done
help=$(/usr/bin/waybillctl --help) && [[ $help == *"init [DIR]"* ]] || fail "waybillctl --help: $help"
help=$(/usr/bin/waybill --help) && [[ $help == *"--user-data"* ]] || fail "waybill --help: $help"

# A fresh user's HOME, the program started from the menu entry's Exec line in another folder.
home=$work/home
mkdir -p "$home" "$work/elsewhere" "$work/runtime"
chmod 700 "$work/runtime"
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/waybill.desktop | head -1)
[ -n "$exec_line" ] || fail "no Exec line"

exec 3<> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
display=:$(head -1 "$work/display")
[ "$display" != ":" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
desk=(env -i PATH=/usr/bin:/bin HOME="$home" DISPLAY="$display" XDG_RUNTIME_DIR="$work/runtime" LANG=C.UTF-8)
"${desk[@]}" openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1
(cd "$work/elsewhere" && "${desk[@]}" sh -c "exec $exec_line" >"$work/waybill.log" 2>&1) &
pids+=($!)

shown() { "${desk[@]}" xdotool search --onlyvisible --name "$1" 2>/dev/null; }
windows=$("${desk[@]}" timeout 30 xdotool search --sync --onlyvisible --name '朴桥EMS快递单打印软件') ||
  fail "no main window within 30 s (message boxes: $(shown '^(提示|错误)$' | wc -l)); $(cat "$work/waybill.log")"
window=${windows%%$'\n'*}
echo "main window $window on $display"
sleep 1
if [ -n "$(shown '^(提示|错误)$')" ]; then
  fail "the program showed a message at start: $(cat "$work/waybill.log")"
fi

data=$home/.local/share/waybill
[ -d "$data" ] || fail "no data folder $data"
[ -f "$data/data.mdb" ] || fail "no $data/data.mdb"
[ ! -e "$work/elsewhere/data.mdb" ] || fail "a data.mdb appeared in the folder it was started from"
# The new database has the program's tables and key: waybillctl exports its (empty) book.
/usr/bin/waybillctl export "$work/book.xls" --db "$data/data.mdb" || fail "the new data.mdb does not read"

DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq waybill >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log"; fail "apt-get remove"; }
[ ! -e /usr/bin/waybill ] || fail "/usr/bin/waybill is still there after removal"
[ -f "$data/data.mdb" ] || fail "removing the package removed the user's data"
echo "PASS"
