#!/usr/bin/env bash
# No descriptor of a store file may be opened and closed by the program while a connection has
# it open: on POSIX systems the close drops every lock the process holds on the file, SQLite's
# included, and another program then corrupts the store. So outside the store's SQLite layer
# (src/store/sqlite, which reads by name through HeldFiles) no file is opened by its name,
# except in the places listed below, each with why what it opens is never a store file.
# Every other opening line is printed and fails the check.
set -uo pipefail
top="${1:?top folder}"
cd "$top" || exit 1

# file: why its openings are never of a store (a file a user names is read through HeldFiles).
declare -A allowed=(
    [src/access/ConversionFiles.cpp]="the conversion's own new files and folder, made before any connection"
    [src/shell/SingleInstance.cpp]="the folder's .tarvelo.lock and the hand-over socket"
    [src/ical/IcsExporter.cpp]="the export's file, refused first when HeldFiles::isHeld says it is a store's"
    [tools/tarvelo-db.cpp]="the help and the alarm's sound copied into a new folder"
)

opening='\bQFile[[:space:]]+[A-Za-z_][A-Za-z0-9_]*[[:space:]]*[({]|\bQFile[({]|QFile::copy|QSaveFile[[:space:]]+[A-Za-z_]|QTemporaryFile|QLockFile[[:space:]]+[A-Za-z_][A-Za-z0-9_]*[[:space:]]*[({]|<QLockFile>\(|std::(i|o)?fstream|\bfopen[[:space:]]*\(|(^|[^A-Za-z0-9_:.>])::open(at)?[[:space:]]*\(|(=|\(|return)[[:space:]]*open(at)?[[:space:]]*\('

status=0
while IFS= read -r hit; do
    file="${hit%%:*}"
    [ -n "${allowed[$file]:-}" ] && continue
    if [ $status -eq 0 ]; then
        echo "a file opened by its name outside src/store/sqlite (read it through HeldFiles, or list the file here with why it is never a store):"
    fi
    echo "  $hit"
    status=1
done < <(grep -rnE "$opening" src tools --include='*.cpp' --include='*.h' | grep -v '^src/store/sqlite/')
[ $status -eq 0 ] && echo "no store file opened by its name"
exit $status
