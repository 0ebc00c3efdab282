"""Prints what translate-toolkit reads from .strings files, as JSON:
{file: {key: text}}; exits 77 when it is not installed."""
import json
import sys

try:
    from translate.storage import properties
except ImportError:
    sys.exit(77)

out = {}
for path in sys.argv[1:]:
    with open(path, "rb") as f:
        data = f.read()
    # It guesses UTF-16 by the byte order mark and needs telling UTF-8.
    encoding = "utf-16" if data[:2] in (b"\xff\xfe", b"\xfe\xff") else "utf-8"
    store = properties.propfile(None, personality="strings", encoding=encoding)
    store.parse(data)
    out[path] = {u.name: u.source for u in store.units if u.name}
print(json.dumps(out))
