#!/usr/bin/env python3
"""Where the bytes of tiledex.exe come from.

    tools/size_report.py [BUILD_DIR] [--top N]

BUILD_DIR is the Windows build tree (build/win64 by default). The script links
tiledex.exe once more with a linker map (into a temporary folder; the build's
own program is left alone), then prints:
  - the stripped sizes of tiledex.exe and tdxhook.dll, and the sections;
  - the bytes per input object (the program's own files, and the runtime's
    libraries by archive) in .text, .rdata, .data, .pdata and .xdata;
  - the largest functions (nm -C -S on the unstripped program);
  - the resources by type.
"""

import os
import re
import shlex
import struct
import subprocess
import sys
import tempfile
from collections import defaultdict

PREFIX = "x86_64-w64-mingw32-"
SECTIONS = (".text", ".rdata", ".data", ".pdata", ".xdata")


def stripped_size(path):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "s")
        subprocess.run([PREFIX + "strip", "-o", out, path], check=True)
        return os.path.getsize(out)


def link_with_map(build):
    """Repeats the program's link command with -Map; returns the map's text."""
    rdir = os.path.join(build, "resident")
    link = open(os.path.join(rdir, "CMakeFiles/tiledex.dir/link.txt")).read().splitlines()
    cmd = next(l for l in link if "-o ../bin/tiledex.exe" in l)
    args = shlex.split(cmd)
    with tempfile.TemporaryDirectory() as tmp:
        exe, mapfile = os.path.join(tmp, "t.exe"), os.path.join(tmp, "t.map")
        args[args.index("-o") + 1] = exe
        args = [a for a in args if not a.startswith("-Wl,--out-implib")]
        args.append("-Wl,-Map," + mapfile)
        subprocess.run(args, cwd=rdir, check=True)
        return open(mapfile).read()


def owner(name):
    """A readable name for an input file: the program's object or the runtime's archive."""
    m = re.match(r"(.*?)([^/]+\.a)\((.*)\)$", name)
    if not m:
        return os.path.basename(name)
    archive, member = m.group(2), m.group(3)
    if archive.startswith("libtdx_") or archive == "objects.a":
        return member                      # the program's own source file
    if archive in ("libstdc++.a", "libgcc.a", "libgcc_eh.a", "libmingwex.a", "libmingw32.a",
                   "libwinpthread.a", "libmsvcrt.a"):
        return archive + "(" + member + ")"
    return archive                         # import libraries: their thunks together


def per_object(mapping):
    sizes = defaultdict(lambda: defaultdict(int))
    out_section = None
    pending = None
    line_re = re.compile(r"^ (\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")
    for line in mapping.splitlines():
        if re.match(r"^\.\w+", line):
            out_section = line.split()[0]
            continue
        if out_section not in SECTIONS:
            continue
        m = line_re.match(line)
        if m:
            name = m.group(1) or pending
            pending = None
            if name is None or name.startswith("*"):
                continue
            if int(m.group(2), 16) == 0:
                continue                   # discarded by --gc-sections
            sizes[owner(m.group(4))][out_section] += int(m.group(3), 16)
        elif re.match(r"^ \.\S+$", line):
            pending = line.strip()         # a long input section name, numbers on the next line
        else:
            pending = None
    return sizes


def largest_functions(exe, top):
    out = subprocess.run([PREFIX + "nm", "-C", "-S", "--size-sort", exe],
                         capture_output=True, text=True, check=True).stdout
    rows = []
    for line in out.splitlines():
        parts = line.split(None, 3)
        if len(parts) == 4 and parts[2] in "tT":
            rows.append((int(parts[1], 16), parts[3]))
    rows.sort(reverse=True)
    return rows[:top]


RT_NAMES = {1: "cursor images", 2: "bitmap", 3: "icon images", 6: "string tables", 12: "cursor group",
            14: "icon groups", 16: "version", 24: "manifest", 5: "dialogs", 4: "menus"}


def resources(exe):
    """Bytes of resource data by type, read from the PE resource directory."""
    data = open(exe, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    nsec = struct.unpack_from("<H", data, pe + 6)[0]
    opt = struct.unpack_from("<H", data, pe + 20)[0]
    sec = pe + 24 + opt
    for i in range(nsec):
        name, vsize, va, rsize, raw = struct.unpack_from("<8sIIII", data, sec + 40 * i)
        if name.rstrip(b"\0") == b".rsrc":
            break
    else:
        return {}
    base = raw

    def entries(off):
        named, ids = struct.unpack_from("<HH", data, base + off + 12)
        for k in range(named + ids):
            ident, target = struct.unpack_from("<II", data, base + off + 16 + 8 * k)
            yield ident, target

    totals = defaultdict(lambda: [0, 0])
    for type_id, t in entries(0):
        for _, n in entries(t & 0x7FFFFFFF):
            for _, l in entries(n & 0x7FFFFFFF):
                size = struct.unpack_from("<I", data, base + l + 4)[0]
                key = RT_NAMES.get(type_id, "type %d" % type_id)
                totals[key][0] += size
                totals[key][1] += 1
    return totals


def main():
    argv = sys.argv[1:]
    top = 40
    if "--top" in argv:
        i = argv.index("--top")
        top = int(argv[i + 1])
        del argv[i:i + 2]
    build = argv[0] if argv else "build/win64"
    exe = os.path.join(build, "bin/tiledex.exe")
    dll = os.path.join(build, "bin/tdxhook.dll")

    se, sd = stripped_size(exe), stripped_size(dll)
    print("stripped: tiledex.exe %d + tdxhook.dll %d = %d bytes" % (se, sd, se + sd))
    heads = subprocess.run([PREFIX + "objdump", "-h", exe], capture_output=True, text=True).stdout
    secs = re.findall(r"^\s+\d+\s+(\.\w+)\s+([0-9a-f]+)", heads, re.M)
    print("sections: " + ", ".join("%s %.1f KB" % (n, int(s, 16) / 1024)
                                   for n, s in secs if not n.startswith(".debug")))

    sizes = per_object(link_with_map(build))
    rows = sorted(sizes.items(), key=lambda kv: -sum(kv[1].values()))
    print("\n%-58s %8s %8s %7s %7s %7s %8s" % ("object", ".text", ".rdata", ".data", ".pdata", ".xdata", "total"))
    total = defaultdict(int)
    for name, s in rows:
        for k in SECTIONS:
            total[k] += s[k]
    for name, s in rows[:top]:
        print("%-58s %8d %8d %7d %7d %7d %8d" % (name[:58], s[".text"], s[".rdata"], s[".data"], s[".pdata"],
                                                s[".xdata"], sum(s.values())))
    print("%-58s %8d %8d %7d %7d %7d %8d" % ("(all %d objects)" % len(rows), total[".text"], total[".rdata"],
                                            total[".data"], total[".pdata"], total[".xdata"],
                                            sum(total.values())))

    print("\n%8s  function" % "bytes")
    for size, name in largest_functions(exe, top):
        print("%8d  %s" % (size, name[:110]))

    print("\n%-16s %8s %6s" % ("resources", "bytes", "items"))
    for name, (size, count) in sorted(resources(exe).items(), key=lambda kv: -kv[1][0]):
        print("%-16s %8d %6d" % (name, size, count))


if __name__ == "__main__":
    main()
