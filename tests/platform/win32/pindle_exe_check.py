#!/usr/bin/env python3
"""What Pindle.exe says about loading, read from its PE tables: it imports statically only DLLs
Windows takes from the system folder whatever lies beside the program (its known DLLs and the C
runtime), and nothing that changes the process's DLL search (input methods and printer drivers
loaded into it look for their own DLLs by it); the spooler is neither imported nor delay-loaded
(the program loads it from System32 itself); high-entropy ASLR and DEP stay on; the load
configuration restricts the search for its imports' own DLLs to System32; and Windows 8.1 starts
it: no user32 import that came with Windows 10, a subsystem version 8.1 (6.3) accepts.  It lists
the user32 imports older systems lack.  Usage: pindle_exe_check.py EXE"""
import re
import struct
import sys

KNOWN = {"advapi32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll",
         "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "imm32.dll", "ws2_32.dll"}
SEARCH_CHANGES = {"SetDefaultDllDirectories", "AddDllDirectory", "SetDllDirectoryA",
                  "SetDllDirectoryW"}
# user32 calls Windows 8.1 does not have (Windows 10 1607 and later): the DPI calls of one
# window, thread or process, and synthetic pointer input.
WINDOWS_10_USER32 = re.compile(
    r".*ForDpi|GetDpiFor(Window|System)|GetSystemDpiForProcess|.*DpiAwarenessContexts?(Equal)?"
    r"|.*Dpi(Hosting|Change)Behavior|EnableNonClientDpiScaling|.*SyntheticPointer.*")
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


def functions(table):
    names, at = [], offset(table)
    while at is not None and (entry := struct.unpack_from("<Q", image, at)[0]):
        names.append(f"#{entry & 0xFFFF}" if entry >> 63 else name_at((entry & 0x7FFFFFFF) + 2))
        at += 8
    return names


failures = []
imports, called, at = [], {}, offset(directory(1)[0])
while at is not None and struct.unpack_from("<I", image, at + 12)[0]:
    lookup, _, _, name, thunks = struct.unpack_from("<5I", image, at)
    imports.append(dll := name_at(name).lower())
    called.setdefault(dll, set()).update(functions(lookup or thunks))
    at += 20
if "kernel32.dll" not in imports or not set(imports) <= KNOWN:
    failures.append(f"static imports {imports}: only known DLLs")
if changes := sorted(called.get("kernel32.dll", set()) & SEARCH_CHANGES):
    failures.append(f"imports {changes}: the process's DLL search is left as it is")
# GNU ld leaves the delay-load directory empty: dlltool's descriptors are found by their shape
# (attributes 1, a DLL's name, a module handle, an address table and a name table).
delayed = set()
for at in range(0, len(image) - 32, 4):
    d = struct.unpack_from("<8I", image, at)
    if d[0] == 1 and all(d[1:5]) and re.fullmatch(r"[\w-]+\.(dll|drv)", name := name_at(d[1]), re.I):
        delayed.add(name.lower())
if "winspool.drv" in delayed or "winspool.drv" in imports:
    failures.append(f"imports {imports}, delay-loads {sorted(delayed)}: not the spooler")
newer = sorted(f for f in called.get("user32.dll", ()) if WINDOWS_10_USER32.fullmatch(f))
if newer:
    failures.append(f"user32 imports {newer}: Windows 8.1 refuses to start the program")
subsystem = struct.unpack_from("<HH", image, optional + 48)
if subsystem > (6, 3):
    failures.append(f"subsystem version {subsystem}: more than Windows 8.1 (6, 3)")
characteristics = struct.unpack_from("<H", image, optional + 70)[0]
if characteristics & 0x160 != 0x160:
    failures.append(f"DLL characteristics {characteristics:#x}: high-entropy ASLR and DEP")
config = offset(directory(10)[0]) if directory(10)[0] else None
flags = struct.unpack_from("<H", image, config + 78)[0] if config is not None else None
if flags != 0x800:
    failures.append(f"dependent load flags {flags}: LOAD_LIBRARY_SEARCH_SYSTEM32")
print("\n".join(failures) or f"{sys.argv[1]}: imports {imports}, delay-loads {sorted(delayed)}, "
      f"user32 imports older than Windows 10 only, subsystem {subsystem[0]}.{subsystem[1]}, ok")
sys.exit(1 if failures else 0)
