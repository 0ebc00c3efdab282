"""Prints what translate-toolkit reads from Android resource files, as JSON:
{file: {name: text or [plural forms]}}, and the comments before an element,
as notes, under "notes": {file: {name: note}}; exits 77 when it is not
installed."""
import json
import sys

try:
    from translate.storage import aresource
except ImportError:
    sys.exit(77)

out = {"notes": {}}
for path in sys.argv[1:]:
    store = aresource.AndroidResourceFile.parsefile(path)
    units, notes = {}, {}
    for unit in store.units:
        if unit.isheader() or not unit.getid():
            continue
        if unit.getnotes().strip():
            notes[unit.getid()] = unit.getnotes().strip()
        source = unit.source
        if hasattr(source, "strings") and len(source.strings) > 1:
            units[unit.getid()] = [str(s) for s in source.strings]
        else:
            units[unit.getid()] = str(source)
    out[path] = units
    out["notes"][path] = notes
print(json.dumps(out))
