#!/usr/bin/env bash
# Backup speed, size and memory against the tools a user could pick instead, on two generated
# projects: about 200 MB (VB source text and incompressible binaries) and 640 files shaped like
# a real project (source text of 1-100 kB, a few MB of .frx/.res binaries). In one run, paired:
# each round runs every tool once in turn, on a warm page cache; the median of REPEAT rounds
# (default 3) counts. arkstash runs with 1, 2 and as many threads as there are cores when its
# `backup` takes --jobs; otherwise once, with its default.
#
#   bench/backup_bench.sh [BUILD_DIR]      (default: build)
#
# Settings go to a throwaway ARKSTASH_HOME, so the user's own are not touched.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$here/build}" && pwd)"
exe="$build/arkstash"
[ -x "$exe" ] || { echo "no arkstash at $exe: build first" >&2; exit 2; }
for tool in python3 zip 7zz; do
  command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 2; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/arkstash-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT
export ARKSTASH_HOME="$work/home"
mkdir -p "$ARKSTASH_HOME" "$work/out"

# --- the ~200 MB project -----------------------------------------------------------------------
proj="$work/Bench"
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
mv "$work/files.txt" "$work/Bench.files"

# --- the 640-file project ----------------------------------------------------------------------
python3 - "$work/Real" <<'PY'
import math, os, random, sys
root = sys.argv[1]
rnd = random.Random(640)
words = ("Customer Order Stock Item Price Amount Total Count Index Name Text Value Record Field "
         "Grid Row Column Report Invoice Supplier Quantity Reorder Level Date Status Print Save "
         "Load Find Next Previous Close Open Account Balance Ledger Entry Posting Batch").split()
def ident():
    return "".join(rnd.choice(words) for _ in range(rnd.randint(1, 3)))
def code(target):
    out, size = [], 0
    while size < target:
        name = ident()
        lines = [f"Private Sub {name}_Click()", f"    Dim s{ident()} As String"]
        for _ in range(rnd.randint(3, 25)):
            k = rnd.random()
            if k < 0.3:
                lines.append(f"    If Not rs.EOF Then txt{ident()}.Text = rs!{ident()} & \"\"")
            elif k < 0.55:
                lines.append(f"    Call {ident()}({rnd.randint(0, 999)}, \"{ident()}\")")
            elif k < 0.75:
                lines.append(f"    With grd{ident()}: .Row = .Rows - 1: .Col = {rnd.randint(0, 9)}: End With")
            else:
                lines.append(f"    ' {' '.join(rnd.choice(words).lower() for _ in range(rnd.randint(3, 14)))}")
        lines += ["End Sub", ""]
        block = "\r\n".join(lines) + "\r\n"
        out.append(block)
        size += len(block)
    return "".join(out)
def size():  # 1 to 100 kB, most of them small, as in real projects
    return int(math.exp(rnd.uniform(math.log(1_000), math.log(100_000))))
vbp, listed = ["Type=Exe"], ["Real.vbp"]
for d in ("Forms", "Modules", "Classes"):
    os.makedirs(os.path.join(root, d), exist_ok=True)
def put(rel, data, mode="w"):
    with open(os.path.join(root, rel), mode, **({} if "b" in mode else {"newline": ""})) as f:
        f.write(data)
    listed.append(rel)
# 200 forms (a third of them with a binary .frx: icons and pictures, partly compressible)
for i in range(200):
    base = f"frm{ident()[:20]}{i:03d}"
    put(f"Forms/{base}.frm", f'VERSION 5.00\r\nBegin VB.Form {base}\r\nEnd\r\n'
        f'Attribute VB_Name = "{base}"\r\n' + code(size()))
    vbp.append(f"Form=Forms\\{base}.frm")
    if i % 3 == 0:
        n = rnd.randint(2_000, 120_000)
        blob = bytes(rnd.choice((0, 0, 255, rnd.randrange(256))) for _ in range(n // 2)) + rnd.randbytes(n // 2)
        put(f"Forms/{base}.frx", blob, "wb")
# modules and classes up to 639 files with the project file and the resource file
while len(listed) < 639:
    i = len(listed)
    kind, folder, ext = rnd.choice((("Module", "Modules", "bas"), ("Class", "Classes", "cls")))
    name = f"{kind[0].lower()}{ident()[:20]}{i:03d}"
    put(f"{folder}/{name}.{ext}", f'Attribute VB_Name = "{name}"\r\nOption Explicit\r\n' + code(size()))
    vbp.append(f"{kind}={name}; {folder}\\{name}.{ext}")
put("Real.res", rnd.randbytes(1_500_000) + bytes(1_000_000), "wb")
vbp += ["ResFile32=\"Real.res\"", 'Name="Real"']
with open(os.path.join(root, "Real.vbp"), "w", newline="") as f:
    f.write("\r\n".join(vbp) + "\r\n")
with open(os.path.join(root, "..", "Real.files"), "w") as f:
    f.write("\n".join(listed) + "\n")
PY

# --- measuring ---------------------------------------------------------------------------------
jobs_flag=no
"$exe" backup --help 2>&1 | grep -q -- '--jobs' && jobs_flag=yes

python3 - "$exe" "$work" "${REPEAT:-3}" "$(nproc)" "$jobs_flag" <<'PY'
import os, resource, shutil, statistics, subprocess, sys, time
exe, work, repeat, cores, jobs_flag = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5] == "yes"

def run(cmd, cwd):
    """Wall seconds, CPU seconds and peak resident MB of one command."""
    t = time.perf_counter()
    p = subprocess.Popen(cmd, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(p.pid, 0)
    dt = time.perf_counter() - t
    err = p.stderr.read().decode(errors="replace"); p.stderr.close()
    code = os.waitstatus_to_exitcode(status)
    if code != 0:
        sys.exit(f"failed ({code}): {' '.join(cmd)}\n{err}")
    return dt, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024

def bench(name):
    proj = os.path.join(work, name)
    files = open(os.path.join(work, name + ".files")).read().split()
    total = sum(os.path.getsize(os.path.join(proj, f)) for f in files)
    for f in files:  # warm the page cache
        open(os.path.join(proj, f), "rb").read()
    out = os.path.join(work, "out")
    listfile = os.path.join(work, name + ".files")
    def ark(level, jobs):
        cmd = [exe, "backup", os.path.join(proj, name + ".vbp"), "--dir", out, "--no-date",
               "--level", level, "--no-references", "--yes"]
        return cmd + (["--jobs", str(jobs)] if jobs else [])
    archive = os.path.join(out, name + ".zip")
    tools = []  # (label, level, command, output)
    job_counts = sorted({1, 2, cores}) if jobs_flag else [0]
    for level in ("normal", "maximum"):
        for j in job_counts:
            tools.append((f"arkstash {level}, jobs {j or 'default'}", level, ark(level, j), archive))
    tools += [
        ("zip -6", "normal", ["sh", "-c", f"zip -q -6 -X {work}/z6.zip -@ < {listfile}"], f"{work}/z6.zip"),
        ("zip -9", "maximum", ["sh", "-c", f"zip -q -9 -X {work}/z9.zip -@ < {listfile}"], f"{work}/z9.zip"),
        ("7zz a -tzip -mx5 -mmt=on", "normal", ["7zz", "a", "-tzip", "-mx5", "-mmt=on", "-bd", "-bso0", f"{work}/7z.zip", "@" + listfile], f"{work}/7z.zip"),
        (f"arkstash none, jobs {job_counts[-1] or 'default'}", "none", ark("none", job_counts[-1]), archive),
        ("cp", "none", ["sh", "-c", f"mkdir -p {work}/copy && cp --parents $(cat {listfile}) {work}/copy/"], f"{work}/copy"),
    ]
    times = {t[0]: [] for t in tools}
    cpus = {t[0]: [] for t in tools}
    peaks = {t[0]: 0.0 for t in tools}
    sizes = {}
    for _ in range(repeat):
        for label, level, cmd, output in tools:
            shutil.rmtree(output, ignore_errors=True)
            if os.path.exists(output): os.remove(output)
            dt, cpu, peak = run(cmd, proj)
            times[label].append(dt)
            cpus[label].append(cpu)
            peaks[label] = max(peaks[label], peak)
            sizes[label] = os.path.getsize(output) if os.path.isfile(output) else total
    med = {k: statistics.median(v) for k, v in times.items()}
    cpu = {k: statistics.median(v) for k, v in cpus.items()}
    base = {"normal": "zip -6", "maximum": "zip -9", "none": "cp"}
    load = os.getloadavg()[0]
    print(f"\n{name}: {len(files)} files, {total / 1e6:.1f} MB; {cores} cores, load {load:.1f}; median of {repeat} paired rounds")
    # Peak memory of the small tools is at least the ~17 MB of the launching interpreter, which a
    # child counts until it replaces itself with the tool. CPU seconds do not depend on what
    # else the machine runs; wall seconds do.
    print(f"{'tool':34} {'wall s':>7} {'x base':>7} {'cpu s':>7} {'size MB':>8} {'x base':>7} {'peak MB':>8} {'MB/s':>7}")
    for label, level, _, _ in tools:
        b = base[level]
        print(f"{label:34} {med[label]:7.2f} {med[label] / med[b]:7.2f} {cpu[label]:7.2f} {sizes[label] / 1e6:8.2f} "
              f"{sizes[label] / sizes[b]:7.3f} {peaks[label]:8.1f} {total / 1e6 / med[label]:7.1f}")
    top = job_counts[-1] or "default"
    def verdict(ok): return "met" if ok else "NOT met"
    n, m = f"arkstash normal, jobs {top}", f"arkstash maximum, jobs {top}"
    print("targets:")
    print(f"  Normal time <= 0.5 x zip -6:      {med[n] / med['zip -6']:.2f}  {verdict(med[n] <= 0.5 * med['zip -6'])}")
    print(f"  Normal size <= 1.02 x zip -6:     {sizes[n] / sizes['zip -6']:.3f} {verdict(sizes[n] <= 1.02 * sizes['zip -6'])}")
    print(f"  Maximum size < zip -9:            {sizes[m] / sizes['zip -9']:.3f} {verdict(sizes[m] < sizes['zip -9'])}")
    print(f"  Maximum time <= 1.0 x zip -9:     {med[m] / med['zip -9']:.2f}  {verdict(med[m] <= med['zip -9'])}")
    if jobs_flag:
        one = med["arkstash normal, jobs 1"] / med["zip -6"]
        print(f"  jobs 1 no slower than before:     {one:.2f} x zip -6 (before: 1.3-1.4)  {verdict(one <= 1.35)}")
    peak = max(v for k, v in peaks.items() if k.startswith("arkstash"))
    print(f"  peak memory < 100 MB:             {peak:.0f} MB  {verdict(peak < 100)}")

bench("Real")
bench("Bench")
PY
