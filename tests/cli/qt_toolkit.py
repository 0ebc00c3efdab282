"""Prints what translate-toolkit reads from Qt .ts files, as JSON: a list
of {"context", "source", "target": [forms]} for the translated units it
keeps (not obsolete, not fuzzy); exits 77 when it is not installed."""
import json
import sys

try:
    from translate.storage import ts2
except ImportError:
    sys.exit(77)

out = []
for path in sys.argv[1:]:
    with open(path, "rb") as f:
        store = ts2.tsfile.parsestring(f.read())
    for unit in store.units:
        if unit.isobsolete() or unit.isfuzzy() or not unit.istranslated():
            continue
        target = unit.target
        if hasattr(target, "strings"):
            forms = [str(s) for s in target.strings]
        else:
            forms = [str(target)]
        out.append({"context": unit.getcontext(), "source": str(unit.source),
                    "target": forms})
print(json.dumps(out))
