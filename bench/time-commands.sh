#!/usr/bin/env bash
# Times every command of tarvik-cli as a whole process (start, load, work, save, end) on the full workbook,
# each on a fresh copy, and prints the median and spread of the wall time and the peak memory.
# Usage: bench/time-commands.sh BUILD_DIR [RUNS]   (a Release build; needs python3 and LibreOffice)
# The workbook is $TARVIK_FULL_WORKBOOK when set, else the one workbook_bench writes.
set -euo pipefail
build=$(realpath "$1")
runs=${2:-5}
here=$(cd "$(dirname "$0")" && pwd)
cli="$build/src/tarvik-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LC_ALL=C.UTF-8 TZ=UTC TARVIK_HOME="$work/home"

full=${TARVIK_FULL_WORKBOOK:-$work/full.xls}
[ -f "$full" ] || TARVIK_FULL_WORKBOOK="$full" "$build/bench/workbook_bench" \
    --benchmark_filter='BM_ReadWorkbook/0' >/dev/null

# 2,000 terminal entries for articles of the full workbook, one line of 55-character records; each counts
# again a reading the workbook holds, so the full sheet of readings takes them.
/usr/bin/python3 - "$work/entries.raw" <<'EOF'
import random, sys
random.seed(5)
records = []
for i in range(2000):
    code = random.randint(1, 65535)
    records.append("%-14s%-5s%-6s%6d%-15s%-6s%3s" % ("560%010d" % code, code, 600 + code % 1000,
                                                     random.randint(1, 999), "UN", "Sala" if code % 3 else "Bar", "000"))
open(sys.argv[1], "w").write("".join(records) + "\r\n")
EOF

# A reception workbook of 5,000 rows, saved by LibreOffice as BIFF8.
/usr/bin/python3 - "$work/FicheirodeRecepcoes.fods" <<EOF
import datetime, random, sys
sys.path.insert(0, "$here/../tests/fixtures/data")
from fixtures import fods
random.seed(9)
rows = [["Código Artigo", "Familia de Contabilidade", "Data de Recepção", "Descrição do Artigo",
         "Preço de Compra Unitário", "Unidade de Compra", "Unidade de Stock", "Conversão Un Compra-UnStock"]]
for i in range(5000):
    code = random.randint(1, 65535)
    rows.append([str(code), str(600 + code % 1000), datetime.date(2026, 1, 1) + datetime.timedelta(i % 300),
                 "Artigo recebido %d" % i, round(random.random() * 50, 2), "CX", "UN", random.randint(1, 24)])
open(sys.argv[1], "w", encoding="utf-8").write(fods([dict(name="FicheirodeRecepcoes", rows=rows)]))
EOF
soffice "-env:UserInstallation=file://$work/profile" --headless --convert-to xls:"MS Excel 97" \
    --outdir "$work" "$work/FicheirodeRecepcoes.fods" >/dev/null 2>&1

"$cli" terminal dock >/dev/null
"$cli" --workbook "$full" terminal load "$work/entries.raw" >/dev/null 2>&1 || true

time_command() {
    local name=$1
    shift
    local times=() peaks=()
    for _ in $(seq "$runs"); do
        cp "$full" "$work/site.xls"
        rm -rf "$work/out" && mkdir "$work/out"
        /usr/bin/time -f '%e %M' -o "$work/time" "$cli" --workbook "$work/site.xls" "$@" >/dev/null 2>"$work/err" \
            </dev/null || { echo "$name failed: $(cat "$work/err")" >&2; }
        read -r seconds kilobytes < <(tail -1 "$work/time")
        times+=("$seconds")
        peaks+=("$((kilobytes / 1024))")
    done
    printf '%-18s median %s s (%s..%s), peak %s MB\n' "$name" \
        "$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")" \
        "$(printf '%s\n' "${times[@]}" | sort -n | head -1)" "$(printf '%s\n' "${times[@]}" | sort -n | tail -1)" \
        "$(printf '%s\n' "${peaks[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")"
}

time_command check check
time_command report report --out "$work/out/report.txt"
time_command lists lists --out "$work/out"
time_command send send
time_command import-raw import-raw "$work/entries.raw"
time_command import-reception import-reception "$work/FicheirodeRecepcoes.xls"
time_command export export Artigos

# The desktop program on the same workbook, when a display server can be started: it shows its main window,
# takes its screenshot half a second later and ends. The whole process less that half second bounds the time
# from start to the window shown with its tables loaded.
if command -v Xvfb >/dev/null; then
    display=:$((90 + RANDOM % 100))
    Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
    xvfb=$!
    sleep 1
    mkdir -p "$work/gui/c"
    cp "$full" "$work/gui/c/InventariosQel.xls"
    times=()
    for _ in $(seq "$runs"); do
        /usr/bin/time -f '%e' -o "$work/time" env DISPLAY="$display" TARVIK_HOME="$work/gui" \
            "$build/src/tarvik" --screenshot "$work/gui.png" >/dev/null 2>&1
        times+=("$(tail -1 "$work/time")")
    done
    kill "$xvfb"
    printf '%-18s median %s s to the window shown (process less the 0.5 s wait)\n' "desktop" \
        "$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p" | awk '{printf "%.2f", $1 - 0.5}')"
fi
