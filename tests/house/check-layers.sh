#!/usr/bin/env bash
# The layering of the sources, checked on their #include lines:
#   store    includes only store, QtCore and SQLite (never a widget or GUI header); inside it the
#            floors jet (the old program's functions and patterns), sqlite, domain and listings
#            each include only their own floor and those below, and CalendarStore, the store's
#            front, stands on all of them;
#   platform includes only platform (the seams know nothing of the rest of the program), and
#            its core (the seams a headless part may use, Qt Core only) only its core;
#   widgets  includes only widgets and platform;
#   month, notitas, listings and the feature libraries (ical, ...) include only themselves,
#            store, platform and widgets; a feature's headless part never includes its ui part
#            nor a widget, and of the platform only its core;
#            a feature may stand on another's headless part where stands_on says so;
#   shell may include anything below it. Every offending line is printed.
set -uo pipefail
top="${1:?top folder}"
cd "$top/src" || exit 1
status=0

offend() {
    local folder="$1" pattern="$2" why="$3"
    shift 3
    local hits
    hits=$(grep -rnE "$@" "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]($pattern)" "$folder" 2>/dev/null)
    if [ -n "$hits" ]; then
        echo "$why:"
        echo "$hits" | sed 's/^/  /'
        status=1
    fi
}

gui="Q(t(Gui|Widgets|PrintSupport|Multimedia|Network)/|Widget|Application|Painter|Pixmap|Image|Color|Font|Action|Menu|Dialog|MessageBox|Label|PushButton|LineEdit|TextEdit|PlainTextEdit|CheckBox|RadioButton|GroupBox|Frame|Screen|Palette|Icon|Clipboard|GuiApplication|KeyEvent|MouseEvent)\\b"

# Every folder of src/ is one of these; a new one must be given its place here.
subsystems="month|notitas|listings"
features=""
for d in */; do
    d="${d%/}"
    case "$d" in
    store | platform | widgets | shell | month | notitas | listings) ;;
    *) [ -f "$d/CMakeLists.txt" ] && features="${features:+$features|}$d" ;;
    esac
done
above_store="$subsystems${features:+|$features}|shell|platform|widgets"

offend store "($above_store)/" "store includes a layer above it or a seam"
offend store "$gui" "store includes a widget or GUI header"
floors=(jet sqlite domain listings)
for i in "${!floors[@]}"; do
    floor="${floors[$i]}"
    higher=$(printf '%s\n' "${floors[@]:$((i + 1))}" | paste -sd'|')
    [ -n "$higher" ] && offend "store/$floor" "store/($higher)/" "store/$floor includes a floor above it"
done
loose=$(find store -maxdepth 1 \( -name '*.cpp' -o -name '*.h' \) ! -name 'CalendarStore.*')
if [ -n "$loose" ]; then
    echo "store files outside its floors:"
    echo "$loose" | sed 's/^/  /'
    status=1
fi

offend platform "(store|widgets|$subsystems${features:+|$features}|shell)/" \
    "platform includes the store or a layer above it"
offend platform/core "platform/[^c]|platform/c[^o]" "platform/core includes the platform above it"
offend platform/core "$gui" "platform/core includes a widget or GUI header"
offend widgets "(store|$subsystems${features:+|$features}|shell)/" \
    "widgets includes the store or a layer above it"
# A feature may stand on the headless part of the features named here (never their ui part):
# sync sends and reads the days as the iCalendar export writes and reads them.
declare -A stands_on=([sync]="ical")
for s in $(echo "$subsystems${features:+|$features}" | tr '|' ' '); do
    [ -d "$s" ] || continue
    allowed="${stands_on[$s]:-}"
    others=$(echo "$subsystems${features:+|$features}|shell" | tr '|' '\n' | grep -vx "$s" |
        grep -vxE "${allowed:-^$}" | paste -sd'|')
    for a in $allowed; do
        offend "$s" "$a/ui/" "$s includes the ui part of $a"
    done
    offend "$s" "($others)/" "$s includes another subsystem or the shell"
done
# A feature's headless part is what the store tool links: no widgets, no ui part.
for f in $(echo "$features" | tr '|' ' '); do
    [ -d "$f" ] || continue
    offend "$f" "($f/ui|widgets)/|platform/[^c]|platform/c[^o]" \
        "$f's headless part includes its ui part, a widget or a seam beside the platform's core" \
        --exclude-dir=ui
    offend "$f" "(QtWidgets/|QWidget|QDialog|QMessageBox)\\b" "$f's headless part includes a widget header" --exclude-dir=ui
done
[ $status -eq 0 ] && echo "layers kept"
exit $status
