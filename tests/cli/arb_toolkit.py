"""Prints what translate-toolkit reads from ARB files, as JSON:
{file: {key: {"text": ..., "note": ...}}}; exits 77 when it is not
installed."""
import json
import sys

try:
    from translate.storage import jsonl10n
except ImportError:
    sys.exit(77)

out = {}
for path in sys.argv[1:]:
    store = jsonl10n.ARBJsonFile.parsefile(path)
    units = {}
    for unit in store.units:
        key = unit.getid()
        if key.startswith("@"):  # the file's own @@ keys
            continue
        units[key] = {"text": str(unit.source), "note": unit.getnotes()}
    out[path] = units
print(json.dumps(out))
