#!/usr/bin/env bash
# A window-level check of ヌリモコ under a real window manager: the program runs in Xvfb with openbox,
# xdotool drives the mouse and the keys, and the checks read the window state (xprop, xwininfo) and
# screenshots (ImageMagick). It covers what only a window manager shows: the save question on close,
# new and open, the tool windows (shown above the main window, hidden alone, restored where they were
# start after start, first placed beside the canvas), the main window's keys in a tool window, and a
# quick freehand stroke.
#
#   bash scripts/check-windows.sh [path/to/nurimoko]
#
# Environment: DISPLAY_NUMBER (default 91), SHOTS (folder for the screenshots; default a temporary one,
# kept). Needs xvfb, openbox, xdotool, x11-utils and imagemagick. Exits 1 when a check fails.
set -u

here=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$here/build/nurimoko}
display_number=${DISPLAY_NUMBER:-91}
for tool in Xvfb openbox xdotool xprop xwininfo import convert; do
    command -v "$tool" > /dev/null || { echo "missing: $tool (apt-get install xvfb openbox xdotool x11-utils imagemagick)"; exit 2; }
done
[ -x "$program" ] || { echo "no program at $program (build it first)"; exit 2; }

work=$(mktemp -d /tmp/check-windows.XXXXXX)
shots=${SHOTS:-$work/shots}
mkdir -p "$shots"
# A private copy: its settings file and its UNDO folder live beside it, so every run starts afresh.
cp "$program" "$work/nurimoko"
export DISPLAY=:$display_number
width=1920
height=1080

xvfb_pid=
openbox_pid=
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2> /dev/null
    [ -n "$openbox_pid" ] && kill "$openbox_pid" 2> /dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2> /dev/null
    wait 2> /dev/null
}
trap cleanup EXIT

Xvfb "$DISPLAY" -screen 0 ${width}x${height}x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do xdpyinfo > /dev/null 2>&1 && break; xwininfo -root > /dev/null 2>&1 && break; sleep 0.1; done
openbox > "$work/openbox.log" 2>&1 &
openbox_pid=$!
sleep 1

failures=0
check() { # description, then a command that succeeds when the check holds
    local what=$1
    shift
    if "$@"; then echo "PASS  $what"; else echo "FAIL  $what"; failures=$((failures + 1)); fi
}
note() { echo "      $*"; }

# ---- Window helpers ----
# Window ids are decimal; 0 stands for a window that was not found, and every check on it fails.
find_window() { xdotool search --onlyvisible --name "^$1\$" 2> /dev/null | head -1; }
wm_state() { # Normal, Iconic or Withdrawn
    local s=
    [ "${1:-0}" != 0 ] && s=$(xprop -id "$1" WM_STATE 2> /dev/null | sed -n 's/.*window state: //p')
    echo "${s:-Withdrawn}"
}
viewable() { [ "${1:-0}" != 0 ] && xwininfo -id "$1" 2> /dev/null | grep -q "IsViewable"; }
hidden() { ! viewable "$1"; }
normal() { [ "$(wm_state "$1")" = Normal ] && viewable "$1"; }
# The frame's left, top, width and height on the screen.
frame_of() {
    local info x y w h l r t b
    [ "${1:-0}" = 0 ] && { echo "0 0 0 0"; return; }
    info=$(xwininfo -id "$1" 2> /dev/null) || { echo "0 0 0 0"; return; }
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<< "$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<< "$info")
    w=$(sed -n 's/.*Width: *//p' <<< "$info")
    h=$(sed -n 's/.*Height: *//p' <<< "$info")
    read -r l r t b <<< "$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ',')"
    echo "$((${x:-0} - ${l:-0})) $((${y:-0} - ${t:-0})) $((${w:-0} + ${l:-0} + ${r:-0})) $((${h:-0} + ${t:-0} + ${b:-0}))"
}
# Position from the bottom in the window manager's stacking order.
stack_position() {
    local hex i=0
    hex=$(printf '0x%x' "${1:-0}")
    for w in $(xprop -root _NET_CLIENT_LIST_STACKING | sed -n 's/.*# //p' | tr -d ','); do
        [ "$((w))" = "$(($hex))" ] && { echo $i; return; }
        i=$((i + 1))
    done
    echo -1
}
above() { [ "$(stack_position "$1")" -gt "$(stack_position "$2")" ]; }
wait_for() { # command..., polls up to 6 s
    for _ in $(seq 60); do "$@" && return 0; sleep 0.1; done
    return 1
}
# A visible window named like the main window that is not the main window: the question box.
other_window_named() { # name, known id
    for w in $(xdotool search --onlyvisible --name "^$1\$" 2> /dev/null); do
        [ "$w" != "$2" ] && { echo "$w"; return 0; }
    done
    return 1
}
question_shown() { other_window_named ヌリモコ "$main" > /dev/null; }
# Any visible, managed window but the program's three.
other_top_window() {
    for w in $(xprop -root _NET_CLIENT_LIST | sed -n 's/.*# //p' | tr -d ','); do
        w=$((w))
        [ "$w" = "$main" ] || [ "$w" = "$toolbox" ] || [ "$w" = "$canvas" ] && continue
        viewable "$w" && { echo "$w"; return 0; }
    done
    return 1
}
alive() { kill -0 "$app_pid" 2> /dev/null; }
gone() { ! alive; }

# ---- Screenshot helpers ----
shot() { import -window root "$shots/$1.png"; echo "$shots/$1.png"; }
# The pixel as "r,g,b".
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }
is_white() { [ "$(pixel "$1" "$2" "$3")" = "255,255,255" ]; }
# Paint on the canvas of a running program (a screen without the program is not paint).
painted() { alive && ! is_white "$@"; }
# How many pixels of a rectangle are near a colour.
count_colour() { # file x y w h colour
    local n
    n=$(convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -fuzz 3% -fill black -opaque "$6" -fill white +opaque black \
        -format "%[fx:w*h*(1-mean)]" info:)
    printf '%.0f' "$n"
}
at_least() { [ "$1" -ge "$2" ]; }
# The first row, from the top, where the canvas (white) begins under the menu and the tool bar.
canvas_top() {
    local file=$1 y
    for y in $(seq 20 300); do is_white "$file" 5 "$y" && { echo "$y"; return; }; done
    echo 0
}

start_program() {
    (cd "$work" && exec ./nurimoko > "$work/program.log" 2>&1) &
    app_pid=$!
    wait_for find_window 道具箱 > /dev/null
    wait_for find_window キャンバス > /dev/null
    sleep 1.5
    main=$(xdotool search --onlyvisible --name "^ヌリモコ\$" | head -1)
    toolbox=$(xdotool search --name "^道具箱\$" | head -1)
    canvas=$(xdotool search --name "^キャンバス\$" | head -1)
    main=${main:-0} toolbox=${toolbox:-0} canvas=${canvas:-0}
}
close_program() { # closes the main window through the window manager (Alt+F4)
    timeout 5 xdotool windowactivate --sync "$main" 2> /dev/null
    xdotool key --clearmodifiers alt+F4
}
stored() { # section key
    sed -n "/^\[$1\]/,/^\[/p" "$work/nurimoko.ini" | tr -d '\r' | sed -n "s/^$2=//p"
}
# The tool windows are shown: viewable, in the normal state, above the main window, and on the screen
# (their own colours are in the screenshot where they are).
tool_windows_visible() { # label
    local file f
    file=$(shot "$1")
    check "$1: main window normal" normal "$main"
    check "$1: 道具箱 normal and above the main window" eval "normal $toolbox && above $toolbox $main"
    check "$1: キャンバス normal and above the main window" eval "normal $canvas && above $canvas $main"
    read -r -a f <<< "$(frame_of "$toolbox")"
    check "$1: the tool box's red swatch is on the screen" at_least "$(count_colour "$file" "${f[0]}" "${f[1]}" "${f[2]}" "${f[3]}" "rgb(255,0,0)")" 300
    read -r -a f <<< "$(frame_of "$canvas")"
    check "$1: the canvas dialog's sky-blue button is on the screen" at_least "$(count_colour "$file" "${f[0]}" "${f[1]}" "${f[2]}" "${f[3]}" "rgb(0,200,255)")" 100
}
drag() { # x0 y x1: a slow horizontal stroke
    xdotool mousemove "$1" "$2" mousedown 1
    for x in $(seq "$1" 10 "$3"); do xdotool mousemove "$x" "$2"; sleep 0.01; done
    xdotool mouseup 1
    sleep 0.5
}

echo "== first start, no settings file"
start_program
check "the program runs" alive
file=$(shot first-start)
tool_windows_visible "first start"
top=$(canvas_top "$file")
read -r -a tb <<< "$(frame_of "$toolbox")"
read -r -a cd <<< "$(frame_of "$canvas")"
note "canvas from row $top; tool box frame ${tb[*]}; canvas dialog frame ${cd[*]}"
check "first start: the tool box is at the right edge of the screen" eval "[ $((tb[0] + tb[2])) -ge $((width - 2)) ] && [ $((tb[0] + tb[2])) -le $width ]"
check "first start: both below the menu and the tool bar" eval "[ ${tb[1]} -ge $top ] && [ ${cd[1]} -ge $top ]"
check "first start: side by side, not over each other" eval "[ $((cd[0] + cd[2])) -le ${tb[0]} ]"

echo "== hiding and showing the tool windows"
# The tool-bar button 「操作画面：道具箱」: the fifth slot of the tool bar, in its middle row.
xdotool mousemove 162 $((top - 23)) click 1
wait_for hidden "$toolbox"
check "tool-bar button: the tool box is hidden" hidden "$toolbox"
check "tool-bar button: the main window stays normal (not minimised)" normal "$main"
check "tool-bar button: the canvas dialog stays" normal "$canvas"
shot toolbox-hidden > /dev/null
xdotool mousemove 162 $((top - 23)) click 1
wait_for viewable "$toolbox"
sleep 0.5
tool_windows_visible "tool-bar button again"
timeout 5 xdotool windowactivate --sync "$toolbox"
xdotool key Escape
wait_for hidden "$toolbox"
check "Esc in the tool box: hidden" hidden "$toolbox"
check "Esc in the tool box: the main window stays normal" normal "$main"
timeout 5 xdotool windowactivate --sync "$canvas"
xdotool key --clearmodifiers alt+F4
wait_for hidden "$canvas"
check "close box of the canvas dialog: hidden" hidden "$canvas"
check "close box of the canvas dialog: the main window stays normal" normal "$main"
# 表示 → 「操作画面：キャンバス」を表示... and the tool-bar button bring them back.
timeout 5 xdotool windowactivate --sync "$main"
xdotool key alt+v
sleep 0.3
xdotool key Down Down Down Return # the first item is selected as the menu opens
wait_for viewable "$canvas"
xdotool mousemove 162 $((top - 23)) click 1
wait_for viewable "$toolbox"
sleep 0.5
tool_windows_visible "shown from the menu"

echo "== the main window's keys in a tool window"
check "the canvas is bare where the stroke goes" is_white "$(shot before-stroke)" 300 400
drag 200 400 420
file=$(shot stroke)
check "a stroke is painted" painted "$file" 300 400
timeout 5 xdotool windowactivate --sync "$toolbox"
check "the tool box has the focus" eval "[ \"\$(xdotool getactivewindow)\" = $toolbox ]"
xdotool key ctrl+z
sleep 0.7
file=$(shot undone)
check "Ctrl+Z in the tool box undoes the stroke" eval "alive && is_white $file 300 400"
xdotool key ctrl+y
sleep 0.7
file=$(shot redone)
check "Ctrl+Y in the tool box redoes it" painted "$file" 300 400

echo "== a quick freehand stroke"
timeout 5 xdotool windowactivate --sync "$main"
file=$(shot before-quick-stroke)
bare=0
for x in $(seq 200 4 640); do is_white "$file" "$x" 600 && bare=$((bare + 1)); done
check "the canvas is bare where the quick stroke goes" [ "$bare" -eq 111 ]
xdotool mousemove 200 600 mousedown 1
for x in $(seq 240 40 640); do xdotool mousemove "$x" 600; done
xdotool mouseup 1
sleep 0.7
file=$(shot quick-stroke)
gaps=0
for x in $(seq 200 4 640); do is_white "$file" "$x" 600 && gaps=$((gaps + 1)); done
note "steps of 40 pixels between mouse events; unpainted points along the stroke: $gaps of 111"
check "a quick freehand stroke stays whole" eval "alive && [ $gaps -eq 0 ]"

echo "== the save question"
close_program
wait_for question_shown
check "closing with changes asks" question_shown
xdotool key Escape
sleep 0.7
check "Esc at the question: the program stays open" eval "alive && normal $main"
check "Esc at the question: the painting stays" painted "$(shot after-escape)" 300 400
close_program
wait_for question_shown
xdotool key Return # はい
sleep 1
dialog=$(wait_for other_top_window && other_top_window)
check "はい on a painting without a file asks for a name" [ -n "$dialog" ]
xdotool key Escape
sleep 1
check "cancelling that save dialog keeps the program open" eval "alive && normal $main"
check "... with the painting" painted "$(shot after-cancelled-save)" 300 400
timeout 5 xdotool windowactivate --sync "$main"
xdotool key ctrl+n
wait_for question_shown
check "新規作成 with changes asks" question_shown
xdotool key Escape
sleep 0.7
check "Esc: no new canvas, the painting stays" eval "! other_top_window > /dev/null && painted $(shot after-new-cancelled) 300 400"
timeout 5 xdotool windowactivate --sync "$main"
xdotool key ctrl+o
wait_for question_shown
check "開く with changes asks" question_shown
xdotool key Escape
sleep 0.7
check "Esc: no open dialog, the painting stays" eval "! other_top_window > /dev/null && painted $(shot after-open-cancelled) 300 400"

saved=$work/painting.mb
timeout 5 xdotool windowactivate --sync "$main"
xdotool key ctrl+s
wait_for other_top_window > /dev/null
sleep 0.5
xdotool key ctrl+a
xdotool type --delay 20 "$saved"
xdotool key Return
wait_for test -s "$saved"
sleep 1
check "上書き保存 writes the file" test -s "$saved"
check "the caption names the file" [ "$(xdotool getwindowname "$main")" = "$saved" ]
size_before=$(stat -c %s "$saved")
timeout 5 xdotool windowactivate --sync "$main"
drag 200 780 400
running=no
alive && running=yes
close_program
wait_for question_shown
xdotool key Return # はい
wait_for gone
check "はい on a painting with a file saves there without a dialog and closes" eval "[ $running = yes ] && gone"
check "... and the file holds the new stroke" [ "$(stat -c %s "$saved")" -gt "$size_before" ]
check "the settings file is written" test -s "$work/nurimoko.ini"

echo "== the tool windows start after start"
first_top=$(stored Dialog_toolbox Top)
first_left=$(stored Dialog_toolbox Left)
note "stored after the first run: tool box Left=$first_left Top=$first_top," \
    "canvas dialog Left=$(stored Dialog_background Left) Top=$(stored Dialog_background Top)"
for run in 2 3 4; do
    start_program
    read -r -a tb <<< "$(frame_of "$toolbox")"
    read -r -a cd <<< "$(frame_of "$canvas")"
    note "start $run: tool box frame at ${tb[0]},${tb[1]}; canvas dialog frame at ${cd[0]},${cd[1]}"
    check "start $run: the tool box's frame is where it was stored" \
        [ "${tb[0]},${tb[1]}" = "$(stored Dialog_toolbox Left),$(stored Dialog_toolbox Top)" ]
    check "start $run: the canvas dialog's frame is where it was stored" \
        [ "${cd[0]},${cd[1]}" = "$(stored Dialog_background Left),$(stored Dialog_background Top)" ]
    tool_windows_visible "start $run"
    if [ $run = 2 ]; then
        # Somewhere else for the next starts.
        timeout 5 xdotool windowmove "$toolbox" 700 300
        sleep 0.7
    fi
    close_program
    wait_for gone
    check "start $run: closes without a question (nothing painted)" gone
    note "stored: tool box Left=$(stored Dialog_toolbox Left) Top=$(stored Dialog_toolbox Top)"
done
moved="$(stored Dialog_toolbox Left),$(stored Dialog_toolbox Top)"
check "the moved tool box kept its place over two more starts (no creeping)" [ "$moved" != "$first_left,$first_top" ]

echo
echo "screenshots: $shots"
if [ "$failures" -eq 0 ]; then
    echo "all window checks passed"
else
    echo "$failures window check(s) failed"
    exit 1
fi
