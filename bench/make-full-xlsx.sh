#!/usr/bin/env bash
# Makes the full-capacity .xlsx as LibreOffice saves it: workbook_bench writes one with 99,999 records, then
# LibreOffice opens and saves it. Usage: bench/make-full-xlsx.sh BUILD_DIR OUT.xlsx
set -euo pipefail
build=$1
out=$(realpath -m "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
TARVIK_FULL_XLSX="$work/ours.xlsx" "$build/bench/workbook_bench" --benchmark_filter='BM_LoadAllTables/1' >/dev/null
soffice --headless -env:UserInstallation="file://$work/profile" --convert-to 'xlsx:Calc MS Excel 2007 XML' \
    --outdir "$work/lo" "$work/ours.xlsx" >/dev/null
mv "$work/lo/ours.xlsx" "$out"
ls -l "$out"
