#!/usr/bin/env python3
"""What Pindle.exe says about loading, read from its PE tables: it imports statically only DLLs
Windows takes from the system folder whatever lies beside the program (its known DLLs and the C
runtime), delay-loads the spooler, keeps high-entropy ASLR and DEP, and its load configuration
restricts the search for its imports' own DLLs to System32.  Usage: pindle_exe_check.py EXE"""
import re
import struct
import sys

KNOWN = {"advapi32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll",
         "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "imm32.dll", "ws2_32.dll"}
image = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", image, 0x3C)[0]
sections, optional_size = struct.unpack_from("<H", image, pe + 6)[0], struct.unpack_from("<H", image, pe + 20)[0]
optional = pe + 24
assert struct.unpack_from("<H", image, optional)[0] == 0x20B, "not a PE32+ image"


def offset(rva):
    for i in range(sections):
        size, address, raw_size, raw = struct.unpack_from("<IIII", image, optional + optional_size + 40 * i + 8)
        if address <= rva < address + max(size, raw_size):
            return raw + rva - address
    return None


def name_at(rva):
    at = offset(rva)
    return "" if at is None else image[at:image.index(b"\0", at)].decode("latin-1")


def directory(entry):
    return struct.unpack_from("<II", image, optional + 112 + 8 * entry)


failures = []
imports, at = [], offset(directory(1)[0])
while at is not None and struct.unpack_from("<I", image, at + 12)[0]:
    imports.append(name_at(struct.unpack_from("<I", image, at + 12)[0]).lower())
    at += 20
if "kernel32.dll" not in imports or not set(imports) <= KNOWN:
    failures.append(f"static imports {imports}: only known DLLs")
# GNU ld leaves the delay-load directory empty: dlltool's descriptors are found by their shape
# (attributes 1, a DLL's name, a module handle, an address table and a name table).
delayed = set()
for at in range(0, len(image) - 32, 4):
    d = struct.unpack_from("<8I", image, at)
    if d[0] == 1 and all(d[1:5]) and re.fullmatch(r"[\w-]+\.(dll|drv)", name := name_at(d[1]), re.I):
        delayed.add(name.lower())
if "winspool.drv" not in delayed:
    failures.append(f"delay-loaded {sorted(delayed)}: the spooler is not among them")
characteristics = struct.unpack_from("<H", image, optional + 70)[0]
if characteristics & 0x160 != 0x160:
    failures.append(f"DLL characteristics {characteristics:#x}: high-entropy ASLR and DEP")
config = offset(directory(10)[0]) if directory(10)[0] else None
flags = struct.unpack_from("<H", image, config + 78)[0] if config is not None else None
if flags != 0x800:
    failures.append(f"dependent load flags {flags}: LOAD_LIBRARY_SEARCH_SYSTEM32")
print("\n".join(failures) or f"{sys.argv[1]}: imports {imports}, delay-loads {sorted(delayed)}, ok")
sys.exit(1 if failures else 0)
