#!/usr/bin/env bash
# The layering of the sources, checked on their #include lines:
#   store    includes only store, QtCore and SQLite (never a widget or GUI header);
#   platform includes only platform (the seams know nothing of the store or the subsystems);
#   month, notitas, listings and ical include only themselves, store and platform;
#   shell may include anything below it. Every offending line is printed.
set -uo pipefail
top="${1:?top folder}"
cd "$top/src" || exit 1
status=0

offend() {
    local folder="$1" pattern="$2" why="$3"
    local hits
    hits=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]($pattern)" "$folder" 2>/dev/null)
    if [ -n "$hits" ]; then
        echo "$why:"
        echo "$hits" | sed 's/^/  /'
        status=1
    fi
}

subsystems="month|notitas|listings|ical"
offend store "($subsystems|shell|platform)/" "store includes a layer above it or a seam"
offend store "Q(t(Gui|Widgets|PrintSupport|Multimedia|Network)/|Widget|Application|Painter|Pixmap|Image|Color|Font|Action|Menu|Dialog|MessageBox|Label|PushButton|LineEdit|TextEdit|PlainTextEdit|CheckBox|RadioButton|GroupBox|Frame|Screen|Palette|Icon|Clipboard|GuiApplication|KeyEvent|MouseEvent)\\b" \
    "store includes a widget or GUI header"
offend platform "(store|$subsystems|shell)/" "platform includes the store or a layer above it"
for s in month notitas listings ical; do
    [ -d "$s" ] || continue
    others=$(echo "$subsystems|shell" | tr '|' '\n' | grep -vx "$s" | paste -sd'|')
    offend "$s" "($others)/" "$s includes another subsystem or the shell"
done
[ $status -eq 0 ] && echo "layers kept"
exit $status
