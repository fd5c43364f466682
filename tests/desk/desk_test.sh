#!/usr/bin/env bash
# A clerk's day at a real desktop: Xvfb with the openbox window manager, the real program, real X
# input through xdotool. After each step the files are checked: data.mdb with the sqlcipher
# shell, the PDF with pdftotext, the .xls with xlrd. A failing step saves a screenshot.
#
#   desk_test.sh BIN_DIR [OUT_DIR]      BIN_DIR holds waybill, waybillctl and the help pages
#
# Exit 77 (skipped) when the desktop tools are missing.
set -uo pipefail

bin=$(cd "${1:?usage: desk_test.sh BIN_DIR [OUT_DIR]}" && pwd)
out=${2:-$(mktemp -d /tmp/waybill-desk.XXXXXX)}
mkdir -p "$out"
rm -f "$out"/*.png
for tool in Xvfb openbox xdotool xclip xprop xwininfo import compare sqlcipher pdftotext pdfinfo; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (tools/dev.sh test installs it)"; exit 77; }
done

key=358146392850
work=$(mktemp -d /tmp/waybill-desk-work.XXXXXX)
prog=$work/program          # the program folder: waybill runs from here and backs up its data.mdb
mkdir -p "$prog"
cp "$bin/waybill" "$bin/waybillctl" "$bin"/*.htm "$prog/"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# ---------------------------------------------------------------------------------------------
# Helpers

step_name=""
failures=0
step() { step_name=$1; echo "== $step_name"; }
fail() {
  local shot="$out/FAILED-$(echo "$step_name" | tr -c 'A-Za-z0-9' '-').png"
  import -window root "$shot" 2>/dev/null
  echo "FAIL [$step_name]: $*  (screenshot: $shot)" >&2
  failures=$((failures + 1))
  exit 1
}
shot() { import -window root "$out/$1.png" 2>/dev/null; }

# SQL on data.mdb through the sqlcipher shell (the program keeps its connection open meanwhile).
sql() { printf "PRAGMA key='%s';\n.mode list\n%s\n" "$key" "$1" | sqlcipher "$2" 2>&1 | grep -v '^ok$'; }

# The window with this exact title: visible, active (has the keyboard), on top of the stack and
# wholly on the screen, frame and title bar included. Prints its id.
window() {
  local title=$1 id="" i
  for i in $(seq 1 100); do
    id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | tail -1)
    [ -n "$id" ] && [ "$(xdotool getactivewindow 2>/dev/null)" = "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || fail "window \"$title\" did not come up"
  [ "$(xdotool getactivewindow 2>/dev/null)" = "$id" ] || fail "window \"$title\" is not the active window (it takes no keys)"
  local top
  top=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/.*, //')
  [ $((top)) = $((id)) ] || fail "window \"$title\" is not on top of the other windows"
  local x y w h ext l r t b
  read -r x y < <(xwininfo -id "$id" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}')
  read -r w h < <(xwininfo -id "$id" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}')
  ext=$(xprop -id "$id" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  read -r l r t b <<<"$ext"
  if [ $((x - l)) -lt 0 ] || [ $((y - t)) -lt 0 ] || [ $((x + w + r)) -gt "$screen_w" ] || [ $((y + h + b)) -gt "$screen_h" ]; then
    fail "window \"$title\" is not wholly on the screen (frame $((x - l)),$((y - t)) $((w + l + r))x$((h + t + b)))"
  fi
  echo "$id"
}

gone() {
  local i
  for i in $(seq 1 50); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "window \"$1\" did not close"
}

# A click at a point of a window's client area, then a pause so the next input follows it.
click() { xdotool mousemove --window "$1" "$2" "$3" click "${4:-1}"; sleep 0.4; }
dclick() { xdotool mousemove --window "$1" "$2" "$3" click --repeat 2 --delay 80 1; sleep 0.5; }
# Types text into the focused edit, replacing its content. Chinese text goes through the
# clipboard (xclip) and Ctrl+V: "xdotool type" maps each Chinese character to a spare key code
# for a moment, and the program may read the key before it has learnt the new mapping, so
# characters get lost (seen here without an input method).
typeover() {
  xdotool key ctrl+a
  if LC_ALL=C grep -q '[^ -~]' <<<"$1"; then
    printf '%s' "$1" | xclip -selection clipboard
    sleep 0.2
    xdotool key ctrl+v
  else
    xdotool type --delay 30 "$1"
  fi
  sleep 0.4
}
# Types a file name into the file dialog that has the keyboard and accepts it.
filedialog() { window "$1" >/dev/null; xdotool key ctrl+a; xdotool type --delay 20 "$2"; sleep 0.3; xdotool key Return; sleep 0.8; }
# Two screenshots of a window differ: it took the input given in between.
differs() { [ "$(compare -metric AE "$1" "$2" /dev/null 2>&1 | cut -d' ' -f1)" != 0 ]; }

# ---------------------------------------------------------------------------------------------
# The desktop

step "start Xvfb and openbox"
screen_w=1280 screen_h=1024
# Xvfb picks a free display itself and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 ${screen_w}x${screen_h}x24 -nolisten tcp 3>"$work/display" >"$out/xvfb.log" 2>&1 &
pids+=($!)
for i in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/display")
openbox >"$out/openbox.log" 2>&1 &
pids+=($!)
for i in $(seq 1 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || fail "openbox did not start: $(cat "$out/openbox.log")"
unset QT_QPA_PLATFORM
export LANG=C.UTF-8 XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work}

# Client-area points of the controls (the windows are laid out in fixed pixels).
main_recipients=(50 19) main_single=(320 19) main_batch=(410 19) main_backup=(230 19)
bar_modify=(140 52) bar_search=(320 52) bar_export=(410 52) bar_import=(500 52)
add_company=(150 111) add_name=(350 111) add_address=(600 111) add_mobile=(350 149) add_ok=(840 150)
grid_row1=(300 225) grid_row2=(300 246) grid_row4=(300 274) grid_row6=(300 308)
batch_scope=(300 15)
search_name=(180 130) search_ok=(593 131)
print_button=(50 14)
prev_fit=(37 31) prev_100=(153 31) prev_next=(327 31) prev_setup=(443 31) prev_print=(501 31) prev_close=(559 31)
backup_button=(107 67)

step "start on an empty book"
(cd "$prog" && ./waybillctl init . && exec ./waybill >"$out/waybill.log" 2>&1) &
pids+=($!)
main=$(window "朴桥EMS快递单打印软件 V3\.1\(专业版\)") || exit 1
[ "$(sql 'select count(*) from inrxx;' "$prog/data.mdb")" = 0 ] || fail "the new book is not empty"
shot 01-start

step "add two recipients"
add() {
  click "$main" "${add_company[@]}"; typeover "$1"
  click "$main" "${add_name[@]}"; typeover "$2"
  click "$main" "${add_address[@]}"; typeover "$3"
  click "$main" "${add_mobile[@]}"; typeover "$4"
  click "$main" "${add_ok[@]}"
}
add "华东电子有限公司" "张三" "上海市浦东新区世纪大道100号" "13900001111"
add "北方机械厂" "李四" "北京市海淀区中关村大街27号" "13800002222"
got=$(sql 'select 单位名称||"|"||收件人姓名||"|"||收件地址||"|"||手机号码 from inrxx order by rowid;' "$prog/data.mdb")
want=$'华东电子有限公司|张三|上海市浦东新区世纪大道100号|13900001111\n北方机械厂|李四|北京市海淀区中关村大街27号|13800002222'
[ "$got" = "$want" ] || fail "data.mdb holds: $got"
shot 02-added

step "modify one recipient"
dclick "$main" "${grid_row2[@]}"                  # loads the modify panel
click "$main" "${add_name[@]}"; typeover "李四光"   # the modify panel's edits sit where the add panel's do
click "$main" "${add_ok[@]}"
got=$(sql 'select 收件人姓名 from inrxx order by rowid;' "$prog/data.mdb")
[ "$got" = $'张三\n李四光' ] || fail "names in data.mdb after the change: $got"
shot 03-modified

step "search"
click "$main" "${bar_search[@]}"
click "$main" "${search_name[@]}"; typeover "四光"
click "$main" "${search_ok[@]}"
click "$main" "${grid_row1[@]}"                   # the one row found becomes the current recipient
shot 04-searched

step "single print: window on top, close box only"
click "$main" "${main_single[@]}"
single=$(window "单张打印EMS快递单") || exit 1
actions=$(xprop -id "$single" _NET_WM_ALLOWED_ACTIONS)
echo "$actions" | grep -q -e MAXIMIZE -e RESIZE && fail "the print window can be resized or maximised: $actions"
motif=($(xprop -id "$single" _MOTIF_WM_HINTS | sed 's/.*= //; s/,//g'))
# Decorations asked of the window manager: no minimise (0x20) and no maximise (0x40) box.
[ $((motif[2] & 0x60)) = 0 ] || fail "the print window asks for minimise or maximise boxes: ${motif[*]}"
# openbox offers a minimise box all the same: a minimised print window must come straight back.
xdotool windowminimize "$single"; sleep 0.8
single=$(window "单张打印EMS快递单") || exit 1

step "single print: preview on top, takes clicks and keys"
click "$single" "${print_button[@]}"
preview=$(window "打印预览") || exit 1
sleep 0.5
import -window "$preview" "$work/p1.png"
click "$preview" "${prev_100[@]}"
import -window "$preview" "$work/p2.png"
differs "$work/p1.png" "$work/p2.png" || fail "the preview took no click (缩放100% changed nothing)"
xdotool key End Home Next Prior; sleep 0.3
click "$preview" "${prev_next[@]}"
click "$preview" "${prev_fit[@]}"
shot 05-preview

step "single print: set up PDF output and print"
click "$preview" "${prev_setup[@]}"
window "打印机设置" >/dev/null
pdf=$work/single.pdf
xdotool key alt+f; typeover "$pdf"
xdotool key Return; sleep 0.5
gone "打印机设置"
[ -e "$pdf" ] && fail "confirming the set-up printed already"
window "打印预览" >/dev/null
click "$preview" "${prev_print[@]}"
for i in $(seq 1 50); do [ -s "$pdf" ] && break; sleep 0.1; done
[ -s "$pdf" ] || fail "no PDF was written to $pdf"
sleep 0.5
text=$(pdftotext "$pdf" - 2>&1)
echo "$text" | grep -q "李四光" || fail "the PDF lacks the found recipient: $text"
echo "$text" | grep -q "张三" && fail "the PDF holds a recipient other than the found one: $text"
[ "$(pdfinfo "$pdf" | awk '/^Pages:/{print $2}')" = 1 ] || fail "the single waybill PDF has not one page"

step "single print: close the preview, then the window"
click "$preview" "${prev_close[@]}"
gone "打印预览"
window "单张打印EMS快递单" >/dev/null
xdotool key Escape
gone "单张打印EMS快递单"
window "朴桥EMS快递单打印软件 V3\.1\(专业版\)" >/dev/null

step "back to the whole book"
click "$main" "${main_recipients[@]}"

step "batch print: step pages in the preview with keys"
click "$main" "${main_batch[@]}"
batch=$(window "批量打印EMS快递单") || exit 1
click "$batch" "${print_button[@]}"
preview=$(window "打印预览") || exit 1
sleep 1
import -window "$preview" "$work/b1.png"
xdotool key Next; sleep 0.5
import -window "$preview" "$work/b2.png"
differs "$work/b1.png" "$work/b2.png" || fail "Page Down did not move to page 2"
click "$preview" "${prev_close[@]}"
gone "打印预览"
window "批量打印EMS快递单" >/dev/null
xdotool key Escape
gone "批量打印EMS快递单"

step "back up"
click "$main" "${main_backup[@]}"
backup=$(window "数据库备份与恢复") || exit 1
click "$backup" "${backup_button[@]}"
filedialog "另存为" "$work/day"
window "提示" >/dev/null
xdotool key Return; sleep 0.4
[ -s "$work/day.bak" ] || fail "no backup file $work/day.bak"
[ "$(sql 'select count(*) from inrxx;' "$work/day.bak")" = 2 ] || fail "the backup does not hold the two recipients"
window "数据库备份与恢复" >/dev/null
xdotool key Escape
gone "数据库备份与恢复"

step "export"
main=$(window "朴桥EMS快递单打印软件 V3\.1\(专业版\)") || exit 1
click "$main" "${bar_export[@]}"
filedialog "另存为" "$work/book"
window "提示" >/dev/null
xdotool key Return; sleep 0.4
[ -s "$work/book.xls" ] || fail "no export file $work/book.xls"
rows=$(/usr/bin/python3 -c '
import sys, xlrd
s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)
for r in range(s.nrows): print("|".join(str(v) for v in s.row_values(r)))' "$work/book.xls" 2>&1)
echo "$rows" | sed -n 2p | grep -q "^华东电子有限公司|张三|上海市浦东新区世纪大道100号|.*|13900001111|" || fail "export row 2: $rows"
echo "$rows" | sed -n 3p | grep -q "^北方机械厂|李四光|" || fail "export row 3: $rows"
shot 06-end

step "import a GB18030 CSV through 导 入"
printf '姓名,地址,手机,公司\n王五,"广州市天河区体育西路1号, 3楼",13700003333,南方贸易\n赵六,,13600004444,\n张三,上海,13900001111,\n' |
  iconv -f UTF-8 -t GB18030 >"$work/clients.csv"
click "$main" "${bar_import[@]}"
filedialog "导入收件人" "$work/clients.csv"
window "导 入" >/dev/null
shot 07-import-summary
xdotool key Return; sleep 0.8                         # 导入 is the default button
window "提示" >/dev/null
xdotool key Return; sleep 0.4
got=$(sql 'select 收件人姓名||"|"||收件地址 from inrxx order by rowid;' "$prog/data.mdb")
[ "$got" = $'张三|上海市浦东新区世纪大道100号\n李四光|北京市海淀区中关村大街27号\n王五|广州市天河区体育西路1号, 3楼' ] ||
  fail "data.mdb after the CSV import: $got"

step "import another book's .xls export through 导 入"
other=$work/other
mkdir -p "$other"
(cd "$other" && "$prog/waybillctl" init . >/dev/null &&
  printf '收件人姓名,收件地址,手机号码\n孙七,杭州,13500005555\n周八,南京,13400006666\n吴九,成都,13300007777\n李四光,北京,13800002222\n' >in.csv &&
  "$prog/waybillctl" import in.csv >/dev/null && "$prog/waybillctl" export other.xls >/dev/null) ||
  fail "could not make the other book's export"
click "$main" "${bar_import[@]}"
filedialog "导入收件人" "$other/other.xls"
window "导 入" >/dev/null
shot 08-import-summary-xls
xdotool key Return; sleep 0.8
window "提示" >/dev/null
xdotool key Return; sleep 0.4
got=$(sql 'select group_concat(收件人姓名, ",") from inrxx;' "$prog/data.mdb")
[ "$got" = "张三,李四光,王五,孙七,周八,吴九" ] || fail "names after the .xls import: $got"
shot 09-imported

step "batch print three selected rows to PDF"
click "$main" "${grid_row2[@]}"
xdotool keydown ctrl; sleep 0.1
click "$main" "${grid_row4[@]}"
click "$main" "${grid_row6[@]}"
xdotool keyup ctrl; sleep 0.2
click "$main" "${main_batch[@]}"
batch=$(window "批量打印EMS快递单") || exit 1
click "$batch" "${batch_scope[@]}"
xdotool key Down Down Return; sleep 0.4
shot 10-batch-chosen
click "$batch" "${print_button[@]}"
preview=$(window "打印预览") || exit 1
click "$preview" "${prev_setup[@]}"
window "打印机设置" >/dev/null
pdf=$work/chosen.pdf
xdotool key alt+f; typeover "$pdf"
xdotool key Return; sleep 0.5
gone "打印机设置"
window "打印预览" >/dev/null
click "$preview" "${prev_print[@]}"
for i in $(seq 1 50); do [ -s "$pdf" ] && break; sleep 0.1; done
[ -s "$pdf" ] || fail "no PDF was written to $pdf"
sleep 0.5
[ "$(pdfinfo "$pdf" | awk '/^Pages:/{print $2}')" = 3 ] || fail "the chosen rows' PDF has not three pages"
for page in 1 2 3; do
  name=$(echo "李四光 孙七 吴九" | cut -d' ' -f$page)
  text=$(pdftotext -f $page -l $page "$pdf" - 2>&1)
  echo "$text" | grep -q "$name" || fail "page $page lacks $name: $text"
done
pdftotext "$pdf" - | grep -q -e 张三 -e 王五 -e 周八 && fail "the PDF holds a recipient that was not selected"
click "$preview" "${prev_close[@]}"
gone "打印预览"
window "批量打印EMS快递单" >/dev/null
xdotool key Escape
gone "批量打印EMS快递单"
main=$(window "朴桥EMS快递单打印软件 V3\.1\(专业版\)") || exit 1

step "quit"
xdotool key --window "$main" alt+F4 2>/dev/null || true
echo "desk test passed; screenshots in $out"
