#!/usr/bin/env bash
# Fails when a C++ file of the tree is not laid out as .clang-format says; names every such file
# and the command that mends it.
set -uo pipefail
top="${1:?top folder}"
cd "$top" || exit 1
formatter="$(command -v clang-format-14 || command -v clang-format || true)"
if [ -z "$formatter" ]; then
    echo "clang-format no está instalado: no se puede comprobar el formato" >&2
    exit 77
fi
mapfile -t files < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h' 2>/dev/null ||
                     find src tests tools bench fuzz -name '*.cpp' -o -name '*.h')
bad=()
for f in "${files[@]}"; do
    [ -f "$f" ] || continue
    if ! "$formatter" --dry-run -Werror "$f" >/dev/null 2>&1; then
        bad+=("$f")
    fi
done
if [ ${#bad[@]} -gt 0 ]; then
    echo "Files not formatted with the repository's .clang-format:"
    printf '  %s\n' "${bad[@]}"
    echo "Mend them with: $formatter -i ${bad[*]}"
    exit 1
fi
echo "${#files[@]} files formatted"
