#!/usr/bin/env bash
# Times `arkstash backup` on a generated project of about 200 MB (VB source text and
# incompressible binaries) against zip -6 and 7-Zip's ZIP writer at Normal, and against cp at
# No Compression, over the same files; prints ratios, archive sizes and arkstash's peak memory.
#
#   bench/backup_bench.sh [BUILD_DIR]      (default: build)
#
# Each tool runs REPEAT times (default 3) on a warm page cache; the median counts. Settings go
# to a throwaway ARKSTASH_HOME, so the user's own are not touched.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$here/build}" && pwd)"
exe="$build/arkstash"
repeat="${REPEAT:-3}"
[ -x "$exe" ] || { echo "no arkstash at $exe: build first" >&2; exit 2; }
for tool in python3 zip 7zz; do
  command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 2; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/arkstash-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT
export ARKSTASH_HOME="$work/home"
mkdir -p "$ARKSTASH_HOME" "$work/out"
proj="$work/Bench"

# --- the project -------------------------------------------------------------------------------
python3 - "$proj" <<'PY'
import os, random, sys
root = sys.argv[1]
os.makedirs(os.path.join(root, "Forms"), exist_ok=True)
os.makedirs(os.path.join(root, "Modules"), exist_ok=True)
rnd = random.Random(20261206)
words = ("Customer Order Stock Item Price Amount Total Count Index Name Text Value Record Field "
         "Grid Row Column Report Invoice Supplier Quantity Reorder Level Date Status").split()
def ident():
    return "".join(rnd.choice(words) for _ in range(rnd.randint(1, 3)))
def code(target):
    out, size = [], 0
    while size < target:
        name = ident()
        lines = [f"Private Sub {name}_Click()", f"    Dim l{ident()} As Long",
                 f"    On Error GoTo {name}_Err"]
        for _ in range(rnd.randint(4, 18)):
            kind = rnd.random()
            if kind < 0.4:
                lines.append(f"    m{ident()} = m{ident()} + {rnd.randint(0, 99999)}")
            elif kind < 0.7:
                lines.append(f"    txt{ident()}.Text = \"{ident()} {rnd.randint(1, 999)}\"")
            elif kind < 0.85:
                lines.append(f"    If {ident()} > {rnd.randint(0, 500)} Then Call {ident()}")
            else:
                lines.append(f"    ' {' '.join(rnd.choice(words).lower() for _ in range(rnd.randint(3, 12)))}")
        lines += ["    Exit Sub", f"{name}_Err:", "    MsgBox Err.Description", "End Sub", ""]
        block = "\r\n".join(lines) + "\r\n"
        out.append(block)
        size += len(block)
    return "".join(out)
vbp = ["Type=Exe"]
listed = ["Bench.vbp"]
# About 80 MB of source text: 700 modules of ~115 kB.
for i in range(700):
    rel = f"Modules\\Module{i:03d}.bas"
    with open(os.path.join(root, "Modules", f"Module{i:03d}.bas"), "w", newline="") as f:
        f.write(f'Attribute VB_Name = "Module{i:03d}"\r\nOption Explicit\r\n' + code(115_000))
    vbp.append(f"Module=Module{i:03d}; {rel}")
    listed.append(rel.replace("\\", "/"))
# About 120 MB of binaries: 40 forms, each with a 3 MB .frx of random bytes.
for i in range(40):
    base = f"Form{i:02d}"
    with open(os.path.join(root, "Forms", base + ".frm"), "w", newline="") as f:
        f.write(f'VERSION 5.00\r\nBegin VB.Form {base}\r\n   Caption = "{base}"\r\n'
                f'   Icon = "{base}.frx":0000\r\nEnd\r\nAttribute VB_Name = "{base}"\r\n' + code(20_000))
    with open(os.path.join(root, "Forms", base + ".frx"), "wb") as f:
        f.write(rnd.randbytes(3 * 1024 * 1024))
    vbp.append(f"Form=Forms\\{base}.frm")
    listed += [f"Forms/{base}.frm", f"Forms/{base}.frx"]
vbp += ['Name="Bench"', 'Title="Bench"']
with open(os.path.join(root, "Bench.vbp"), "w", newline="") as f:
    f.write("\r\n".join(vbp) + "\r\n")
with open(os.path.join(root, "..", "files.txt"), "w") as f:
    f.write("\n".join(listed) + "\n")
PY
total=$(cd "$proj" && du -cb $(cat "$work/files.txt") | tail -1 | cut -f1)
nfiles=$(wc -l < "$work/files.txt")

# --- measuring ---------------------------------------------------------------------------------
# Runs a command and prints "seconds peak_kB" for it (peak resident memory of the child).
measure() {
  python3 - "$@" <<'PY'
import resource, subprocess, sys, time
t = time.perf_counter()
r = subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
dt = time.perf_counter() - t
if r.returncode != 0:
    sys.stderr.write(r.stderr.decode(errors="replace"))
    sys.exit(f"failed ({r.returncode}): {' '.join(sys.argv[1:])}")
print(f"{dt:.3f} {resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss}")
PY
}
# Runs a command REPEAT times (removing its output first each time) and prints the median time
# and the largest peak memory seen: "seconds peak_kB".
median() {
  local target="$1"; shift
  local times=() peak=0 result t m
  for _ in $(seq "$repeat"); do
    rm -rf "$target"
    result="$(measure "$@")" || exit 1
    read -r t m <<< "$result"
    times+=("$t")
    [ "$m" -gt "$peak" ] && peak=$m
  done
  printf '%s\n' "${times[@]}" | sort -n | awk -v p="$peak" '{a[NR]=$1} END {print a[int((NR+1)/2)], p}'
}

cat $(sed "s|^|$proj/|" "$work/files.txt") > /dev/null  # warm the page cache

cd "$proj"
# timed NAME TARGET COMMAND...: sets NAME_time and NAME_peak.
timed() {
  local name="$1"; shift
  median "$@" > "$work/median.txt" || exit 1
  read -r "${name}_time" "${name}_peak" < "$work/median.txt"
}

timed normal "$work/out/Bench.zip" "$exe" backup "$proj/Bench.vbp" --dir "$work/out" --no-date \
  --level normal --no-references --yes
normal_size=$(stat -c %s "$work/out/Bench.zip")
timed check "$work/none" "$exe" verify "$work/out/Bench.zip"
timed zip "$work/zip6.zip" sh -c "zip -q -6 -X '$work/zip6.zip' -@ < '$work/files.txt'"
zip_size=$(stat -c %s "$work/zip6.zip")
timed sevenzip "$work/7z.zip" 7zz a -tzip -mx5 -bd -bso0 "$work/7z.zip" "@$work/files.txt"
sevenzip_size=$(stat -c %s "$work/7z.zip")
timed store "$work/out/Bench.zip" "$exe" backup "$proj/Bench.vbp" --dir "$work/out" --no-date \
  --level none --no-references --yes
store_size=$(stat -c %s "$work/out/Bench.zip")
timed copy "$work/copy" sh -c "mkdir -p '$work/copy' && cp --parents \$(cat '$work/files.txt') '$work/copy/'"

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
pct() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%+.2f %%", (a - b) * 100 / b }'; }
mb() { awk -v a="$1" 'BEGIN { printf "%.1f MB", a / 1e6 }'; }

echo "Project: $nfiles files, $(mb "$total") ($(nproc) cores; median of $repeat runs)"
printf '%-36s %8s s  %12s\n' "arkstash backup, Normal" "$normal_time" "$(mb "$normal_size")"
printf '%-36s %8s s  %12s\n' "zip -6" "$zip_time" "$(mb "$zip_size")"
printf '%-36s %8s s  %12s\n' "7zz a -tzip -mx5" "$sevenzip_time" "$(mb "$sevenzip_size")"
printf '%-36s %8s s  %12s\n' "arkstash backup, No Compression" "$store_time" "$(mb "$store_size")"
printf '%-36s %8s s\n' "cp" "$copy_time"
printf '%-36s %8s s\n' "arkstash verify (the check alone)" "$check_time"
echo
echo "time, Normal / zip -6:            $(ratio "$normal_time" "$zip_time")x   (target <= 1.25)"
echo "time, Normal / 7zz -mx5:          $(ratio "$normal_time" "$sevenzip_time")x"
echo "check share of the Normal run:    $(ratio "$check_time" "$normal_time")   (target <= 0.25)"
echo "size, Normal vs zip -6:           $(pct "$normal_size" "$zip_size")   (target within 2 %)"
echo "time, No Compression / cp:        $(ratio "$store_time" "$copy_time")x"
echo "peak memory, Normal:              $((normal_peak / 1024)) MB   (target < 100 MB)"
echo "peak memory, No Compression:      $((store_peak / 1024)) MB"
