//===- datagen.cpp - Writes one catalog in every peer's source format ----===//
//
// Usage: phrasor_peers_datagen OUTDIR N
//
// Writes the N-entry benchmark catalog as catalog.csv (id,value,voice, RFC
// 4180, for `phrasor build`), catalog.skdb (our compiled database),
// catalog.po (for msgfmt) and catalog.txt (an ICU resource bundle source for
// genrb). The catalog is the one the benchmark programs generate in memory,
// so queries built there find the same entries in every file.
//
//===----------------------------------------------------------------------===//

#include "bench/support/Corpus.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

using namespace phrasor::bench;

namespace {

std::string CsvField(const std::string &s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos)
    return s;
  std::string out = "\"";
  for (char c : s) {
    if (c == '"')
      out += '"';
    out += c;
  }
  return out + '"';
}

// PO and ICU sources share C-like quoting of backslash and double quote.
std::string Quoted(const std::string &s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\')
      out += '\\';
    out += c;
  }
  return out + '"';
}

bool Write(const std::string &path, const std::string &text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: phrasor_peers_datagen OUTDIR N\n");
    return 2;
  }
  const std::string dir = argv[1];
  const std::size_t n = std::strtoull(argv[2], nullptr, 10);
  if (n == 0) {
    std::fprintf(stderr, "error: N must be a positive number\n");
    return 2;
  }
  const Dataset &data = GetDataset(n);

  std::string csv = "id,value,voice\r\n";
  std::string po = "msgid \"\"\nmsgstr \"\"\n"
                   "\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n";
  // The BOM tells genrb the source is UTF-8.
  std::string icu = "\xEF\xBB\xBF"
                    "catalog:table(nofallback) {\n";
  for (const CorpusEntry &e : data.entries) {
    csv += CsvField(e.id) + ',' + CsvField(e.value) + ',' + CsvField(e.voice) +
           "\r\n";
    po += "msgid " + Quoted(e.id) + "\nmsgstr " + Quoted(e.value) + "\n\n";
  }
  // genrb keeps a table's items in a sorted list and walks it from the front
  // for every insertion; keys in descending order make each insertion stop
  // at the first item, which turns hours at 1M entries into seconds.
  std::vector<const CorpusEntry *> byKey;
  for (const CorpusEntry &e : data.entries)
    byKey.push_back(&e);
  std::sort(
      byKey.begin(), byKey.end(),
      [](const CorpusEntry *a, const CorpusEntry *b) { return a->id > b->id; });
  for (const CorpusEntry *e : byKey)
    icu += "    " + e->id + " { " + Quoted(e->value) + " }\n";
  icu += "}\n";

  std::string skdb(data.file.begin(), data.file.end());
  if (!Write(dir + "/catalog.csv", csv) || !Write(dir + "/catalog.po", po) ||
      !Write(dir + "/catalog.txt", icu) ||
      !Write(dir + "/catalog.skdb", skdb)) {
    std::fprintf(stderr, "error: %s: cannot write the catalog files\n",
                 dir.c_str());
    return 1;
  }
  return 0;
}
