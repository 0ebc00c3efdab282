"""Prints what translate-toolkit reads from i18next v4 files, as JSON:
{file: {key: text or [plural forms]}}; exits 77 when it is not installed."""
import json
import sys

try:
    from translate.storage import jsonl10n
except ImportError:
    sys.exit(77)

out = {}
for path in sys.argv[1:]:
    store = jsonl10n.I18NextV4File.parsefile(path)
    units = {}
    for unit in store.units:
        key = unit.getid().lstrip(".")
        source = unit.source
        if hasattr(source, "strings") and len(source.strings) > 1:
            units[key] = [str(s) for s in source.strings]
        else:
            units[key] = str(source)
    out[path] = units
print(json.dumps(out))
