#!/usr/bin/env bash
# Records what the command line produces on the example group and on generated projects: the
# text table, the tree, exit statuses, the archives (entry names, sizes, CRCs, times and
# attributes) and the settings hive. Run it with two builds and compare the folders:
#
#   scripts/behaviour-snapshot.sh OLD_EXE /tmp/snap-old
#   scripts/behaviour-snapshot.sh build/arkstash /tmp/snap-new
#   diff -r /tmp/snap-old /tmp/snap-new
#
# Every run uses the same fixed work folder, so paths in the output agree between builds.
set -uo pipefail
exe="$(realpath "$1")"
out="$(realpath -m "$2")"
here="$(cd "$(dirname "$0")/.." && pwd)"
work=/tmp/arkstash-snapshot-work
rm -rf "$work" "$out"
mkdir -p "$work" "$out"
export ARKSTASH_HOME="$work/home"
export TZ=UTC

cp -r "$here/examples/StockControl" "$work/StockControl"
python3 - "$work" <<'PY'
import os, sys
w = sys.argv[1]
crlf = lambda lines: ("\r\n".join(lines) + "\r\n")
# Odd names: blanks, accents (the project file in Windows-1252), a memo and user-added files.
p = os.path.join(w, "Odd Names")
os.makedirs(os.path.join(p, "Sub Folder"), exist_ok=True)
open(os.path.join(p, "Café Módulo.bas"), "w").write(crlf(['Attribute VB_Name = "modCafe"', "Sub A()", "End Sub"]))
open(os.path.join(p, "Sub Folder", "frmÉcran.frm"), "w").write(crlf(["VERSION 5.00", "Begin VB.Form frmEcran", "End", 'Attribute VB_Name = "frmEcran"']))
open(os.path.join(p, "Sub Folder", "frmÉcran.frx"), "wb").write(b"\0" * 300)
open(os.path.join(p, "empty.cls"), "w").write("")
open(os.path.join(p, "big.bin"), "wb").write(os.urandom(1) * 0 + bytes(range(256)) * 40000)
open(os.path.join(p, "notes.txt"), "w").write("notes\n")
vbp = crlf(["Type=Exe", "Module=modCafe; Café Módulo.bas", "Form=Sub Folder\\frmÉcran.frm",
            "Class=CEmpty; empty.cls", "Module=modGone; gone.bas", "RelatedDoc=big.bin",
            'Name="Odd Project"', 'Description=""'])
open(os.path.join(p, "Odd Names.vbp"), "wb").write(vbp.encode("cp1252"))
aks = crlf(["[Memo]", "First line", "Second [File] line", "[End Memo]",
            "[File]" + os.path.join(p, "notes.txt"), "[File]" + os.path.join(p, "missing.txt")])
open(os.path.join(p, "Odd Project.aks"), "wb").write(aks.encode("cp1252"))
# Many components of every kind in one project.
m = os.path.join(w, "Many")
os.makedirs(m, exist_ok=True)
lines = ["Type=OleDll", 'Name="Many"']
for i in range(40):
    open(os.path.join(m, f"mod{i:02}.bas"), "w").write(crlf([f'Attribute VB_Name = "mod{i:02}"'] + ["' x"] * i))
    lines.append(f"Module=mod{i:02}; mod{i:02}.bas")
for i in range(5):
    open(os.path.join(m, f"frm{i}.frm"), "w").write(crlf(["VERSION 5.00", f"Begin VB.Form frm{i}", "End", f'Attribute VB_Name = "frm{i}"']))
    if i % 2 == 0:
        open(os.path.join(m, f"frm{i}.frx"), "wb").write(b"x" * (i + 1))
    lines.append(f"Form=frm{i}.frm")
open(os.path.join(m, "Many.vbp"), "w").write(crlf(lines))
PY
find "$work" -exec touch -h -d '2026-01-02 03:04:05' {} +

run() {  # name, then the arguments
    local name="$1"; shift
    (cd "$work" && "$exe" "$@" >"$out/$name.out" 2>"$out/$name.err"; echo "$?" >"$out/$name.status")
    sed -i "s#$work#WORK#g" "$out/$name.out" "$out/$name.err"
}

dump_archive() {  # archive, name
    [ -f "$1" ] || { echo "no archive" >"$out/$2.zip.txt"; return; }
    python3 - "$1" >"$out/$2.zip.txt" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    for i in z.infolist():
        print(i.filename, i.file_size, "%08x" % i.CRC, i.compress_type, i.date_time,
              "%o" % (i.external_attr >> 16), i.flag_bits & 1)
PY
}

hive() { cp "$ARKSTASH_HOME/user.reg" "$out/$1.user.reg" 2>/dev/null || echo none >"$out/$1.user.reg"; }

for p in "StockControl/StockControl.vbg" "StockControl/StockControl.vbp" \
         "StockControl/StockGrid/StockGrid.vbp" "Odd Names/Odd Names.vbp" "Many/Many.vbp"; do
    tag="$(basename "$p" | tr ' ./' '___')"
    run "list-$tag" list "$p"
    run "tree-$tag" list --tree "$p"
    hive "list-$tag"
done

mkdir -p "$work/out"
for level in none low normal maximum; do
    run "backup-$level" backup StockControl/StockControl.vbg --dir "$work/out" --yes --no-date --level "$level"
    dump_archive "$work/out/StockControl.zip" "backup-$level"
done
run "backup-odd" backup "Odd Names/Odd Names.vbp" --dir "$work/out" --yes --no-date
dump_archive "$work/out/Odd Names.zip" "backup-odd"
run "backup-norefs" backup Many/Many.vbp --dir "$work/out" --yes --no-date --no-references
dump_archive "$work/out/Many.zip" "backup-norefs"
run "backup-no-overwrite" backup Many/Many.vbp --dir "$work/out" --no-date </dev/null
ARKSTASH_PW=secret run "backup-password" backup Many/Many.vbp --dir "$work/out" --yes --no-date --password-env ARKSTASH_PW
dump_archive "$work/out/Many.zip" "backup-password"
run "verify-plain" verify "$work/out/StockControl.zip"
ARKSTASH_PW=secret run "verify-password" verify "$work/out/Many.zip" --password-env ARKSTASH_PW
run "list-missing" list "nothing-here.vbp"
hive "final"
echo "snapshot in $out"
