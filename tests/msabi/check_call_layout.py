#!/usr/bin/env python3
"""Checks that two 32-bit x86 Windows objects call the interface alike.

Both objects are MsAbiCalls.cpp, one compiled with the Microsoft C++ ABI (as
MSVC and clang-cl build hosts), one with the GNU ABI that builds the DLL.
Each Call* function makes exactly one virtual call; from its disassembly
this reads the vtable offset called and how many argument bytes the callee
pops (the function's own stack adjustments must balance to zero except for
what the callee pops). thiscall pops every stack argument; cdecl pops none.
Every call must hit the expected slot with the expected convention in both
objects. Exit status 0 when all match.
"""
import re
import subprocess
import sys

# Slot in the vtable, and the stack argument bytes a thiscall callee pops
# (None: a variadic, cdecl member; the caller pops).
EXPECTED = {
    "CallRead": (0, 8),  # IReadStream, implemented by the host
    "CallCreateKeeper": (1, 4),
    "CallReleaseKeeper": (2, 4),
    "CallSetErrorCallback": (3, 8),
    "CallClearErrorCallback": (4, 4),
    "CallGetStringIndex": (5, 8),
    "CallGetStringID": (6, 8),
    "CallGetStringByIndex": (7, 8),
    "CallGetStringByID": (8, 8),
    "CallFormatStringByIndexV": (9, 20),
    "CallFormatStringByIndex": (10, None),
    "CallFormatStringByIDV": (11, 20),
    "CallFormatStringByID": (12, None),
    "CallFormatMessageByIndexV": (13, 20),
    "CallFormatMessageByIndex": (14, None),
    "CallFormatMessageByIDV": (15, 20),
    "CallFormatMessageByID": (16, None),
    "CallGetVoicePathByIndex": (17, 8),
    "CallGetVoicePathByID": (18, 8),
    "CallIsValidID": (19, 8),
    "CallHasStringByIndex": (20, 8),
    "CallHasStringByID": (21, 8),
    "CallHasVoicePathByIndex": (22, 8),
    "CallHasVoicePathByID": (23, 8),
    "CallEnumerateIDsByPrefix": (24, 16),
}

VCALL = re.compile(r"^(call|jmp)\s+dword ptr \[(e[a-z]{2})(?: \+ (\d+))?\]$")
ESP_ADJUST = re.compile(r"^(add|sub)\s+esp, (\d+)$")


def functions(objdump, path):
    text = subprocess.run(
        [objdump, "-d", "--no-show-raw-insn", "-M", "intel", path],
        check=True, capture_output=True, text=True).stdout
    result, name = {}, None
    for line in text.splitlines():
        head = re.match(r"^[0-9a-f]+ <_?(\w+)>:$", line)
        if head:
            name = head.group(1)
            result[name] = []
        elif name and "\t" in line:
            insn = line.split("\t", 1)[1].strip()
            insn = re.sub(r"\s+", " ", insn.split("#")[0]).strip()
            if insn:
                result[name].append(insn)
    return result


def analyse(insns):
    """(slot offset, bytes the callee pops) of the one virtual call."""
    offset, delta, tail = None, 0, False
    for insn in insns:
        call = VCALL.match(insn)
        if call:
            if offset is not None:
                raise ValueError("more than one indirect call")
            offset = int(call.group(3) or 0)
            tail = call.group(1) == "jmp"
            if tail:
                break
            continue
        if insn.startswith("call"):
            raise ValueError("unexpected direct call: " + insn)
        if insn.startswith("ret"):
            break
        adjust = ESP_ADJUST.match(insn)
        if adjust:
            size = int(adjust.group(2))
            delta += size if adjust.group(1) == "add" else -size
        elif insn.startswith("push"):
            delta -= 8 if "qword" in insn else 4
        elif insn.startswith("pop"):
            delta += 4
        else:
            operands = insn.split(" ", 1)[1] if " " in insn else ""
            if operands.split(",")[0].strip() == "esp":
                raise ValueError("unfollowed stack change: " + insn)
    if offset is None:
        raise ValueError("no virtual call")
    if tail and delta != 0:
        raise ValueError("tail call with the stack moved")
    return offset, -delta


def main():
    objdump, ms_obj, gnu_obj = sys.argv[1:4]
    failures = 0
    for label, path in (("Microsoft ABI", ms_obj), ("GNU ABI", gnu_obj)):
        found = functions(objdump, path)
        for name, (slot, pops) in EXPECTED.items():
            if name not in found:
                print(f"{label}: {name} missing")
                failures += 1
                continue
            try:
                offset, popped = analyse(found[name])
            except ValueError as error:
                print(f"{label}: {name}: {error}")
                failures += 1
                continue
            want_pops = pops if pops is not None else 0
            ok = offset == 4 * slot and popped == want_pops
            convention = "thiscall" if pops is not None else "cdecl"
            print(f"{'ok  ' if ok else 'FAIL'} {label}: {name} slot "
                  f"{offset // 4} (want {slot}), callee pops {popped} "
                  f"(want {want_pops}, {convention})")
            failures += not ok
    print("all calls agree" if not failures else f"{failures} mismatches")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
