"""Prints what translate-toolkit reads from .strings and .stringsdict files,
as JSON: {file: {key: text}} for .strings, {file: {key: {category: text}}}
for a .stringsdict, its variable's form put in the format of a key with one
plural variable; notes (a .strings comment) under "notes": {file: {key:
note}}. Exits 77 when it is not installed."""
import json
import re
import sys

try:
    from translate.storage import properties, stringsdict
except ImportError:
    sys.exit(77)


def read_strings(data):
    # It guesses UTF-16 by the byte order mark and needs telling UTF-8.
    encoding = "utf-16" if data[:2] in (b"\xff\xfe", b"\xfe\xff") else "utf-8"
    store = properties.propfile(None, personality="strings", encoding=encoding)
    store.parse(data)
    units = [u for u in store.units if u.name]
    return ({u.name: u.source for u in units},
            {u.name: note(u.getnotes()) for u in units if u.getnotes()})


def note(comments):
    # It keeps each comment as written, its /* */ or // included.
    said = []
    for c in comments.strip().split("\n"):
        c = c.strip()
        c = c[2:-2] if c.startswith("/*") and c.endswith("*/") else c
        c = c[2:] if c.startswith("//") else c
        said.append(c.strip())
    return "\n".join(s for s in said if s)


def read_stringsdict(data):
    store = stringsdict.StringsDictFile()
    store.parse(data)
    tags = store.target_plural_tags
    formats = {u.outerkey: str(u.target) for u in store.units
               if u.innerkey is None}
    texts = {}
    for u in store.units:
        if u.innerkey is None:
            continue
        fmt = formats.get(u.outerkey, "")
        if len(re.findall(r"%#@[^@]*@", fmt)) != 1:
            continue
        forms = texts.setdefault(u.outerkey, {})
        for tag, form in zip(tags, u.target.strings):
            if str(form):
                forms[tag] = fmt.replace("%#@" + u.innerkey + "@", str(form))
    return texts


out = {"notes": {}}
for path in sys.argv[1:]:
    with open(path, "rb") as f:
        data = f.read()
    if path.endswith(".stringsdict"):
        out[path] = read_stringsdict(data)
    else:
        out[path], out["notes"][path] = read_strings(data)
print(json.dumps(out))
