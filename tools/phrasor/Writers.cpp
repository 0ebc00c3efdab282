//===- Writers.cpp - Writing entries back as CSV, JSON or PO --------------===//

#include "tools/phrasor/Writers.h"

#include "tools/phrasor/Utf.h"

#include <gettext-po.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace phrasor::tool {
namespace {

/// An entry converted to UTF-8, or nothing when it cannot be.
struct TextEntry {
  std::string id;
  std::optional<std::string> value;
  std::optional<std::string> voice;
};

std::vector<TextEntry> ToText(const std::vector<authoring::Entry> &entries,
                              const std::string &where, Diagnostics &diag) {
  std::vector<TextEntry> out;
  out.reserve(entries.size());
  for (const authoring::Entry &e : entries) {
    TextEntry t{e.id, std::nullopt, e.voicePath};
    if (!IsValidUtf8(e.id)) {
      diag.Error(where, "ID '" + e.id + "' is not valid UTF-8; left out");
      continue;
    }
    if (e.voicePath && !IsValidUtf8(*e.voicePath)) {
      diag.Error(where, "voice path of '" + e.id +
                            "' is not valid UTF-8; entry left out");
      continue;
    }
    if (e.value) {
      t.value = Utf16ToUtf8(*e.value);
      if (!t.value) {
        diag.Error(where, "value of '" + e.id +
                              "' holds a lone surrogate; entry left out");
        continue;
      }
    }
    out.push_back(std::move(t));
  }
  return out;
}

// A field is quoted when it holds a separator, a quote or a line break, or
// when it is present but empty ("" reads back as the empty string, a bare
// empty field as absent).
void CsvField(std::string &out, const std::optional<std::string> &field) {
  if (!field)
    return;
  const std::string &s = *field;
  if (!s.empty() && s.find_first_of(",\"\r\n") == std::string::npos) {
    out += s;
    return;
  }
  out.push_back('"');
  for (char c : s) {
    if (c == '"')
      out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

std::string WriteCsv(const std::vector<TextEntry> &entries) {
  std::string out = "id,value,voice\n";
  for (const TextEntry &e : entries) {
    CsvField(out, e.id);
    out.push_back(',');
    CsvField(out, e.value);
    out.push_back(',');
    CsvField(out, e.voice);
    out.push_back('\n');
  }
  return out;
}

std::string WriteJson(const std::vector<TextEntry> &entries) {
  nlohmann::ordered_json root = nlohmann::ordered_json::object();
  for (const TextEntry &e : entries) {
    if (e.value && !e.voice) {
      root[e.id] = *e.value;
      continue;
    }
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    object["value"] = e.value ? nlohmann::ordered_json(*e.value) : nullptr;
    if (e.voice)
      object["voice"] = *e.voice;
    root[e.id] = std::move(object);
  }
  return root.dump(2, ' ', false) + "\n";
}

// Writing a temporary file only fails for reasons of the system; the
// library demands that a fatal report never returns.
void WriteFailed(int severity, po_message_t, const char *, size_t, size_t, int,
                 const char *text) {
  if (severity != PO_SEVERITY_FATAL_ERROR)
    return;
  std::fprintf(stderr, "error: cannot write the PO text: %s\n",
               text ? text : "");
  std::exit(kExitUsage);
}
void WriteFailed2(int severity, po_message_t, const char *, size_t, size_t, int,
                  const char *text, po_message_t, const char *, size_t, size_t,
                  int, const char *) {
  WriteFailed(severity, nullptr, nullptr, 0, 0, 0, text);
}

// libgettextpo only writes to a named file, so the text is written to a
// private temporary file and read back.
std::string WritePo(const std::vector<TextEntry> &entries) {
  po_file_t file = po_file_create();
  po_message_iterator_t it = po_message_iterator(file, nullptr);
  po_message_t header = po_message_create();
  po_message_set_msgid(header, "");
  po_message_set_msgstr(header, "Content-Type: text/plain; charset=UTF-8\n"
                                "Content-Transfer-Encoding: 8bit\n");
  po_message_insert(it, header);
  for (const TextEntry &e : entries) {
    po_message_t m = po_message_create();
    po_message_set_msgctxt(m, e.id.c_str());
    // The msgid is what a translator reads; it must not be empty, which
    // would make the entry a header.
    const std::string &source = e.value && !e.value->empty() ? *e.value : e.id;
    po_message_set_msgid(m, source.c_str());
    po_message_set_msgstr(m, e.value ? e.value->c_str() : "");
    std::string comments;
    if (e.voice)
      comments += "voice: " + *e.voice + "\n";
    if (e.value && e.value->empty())
      comments += "value: empty\n";
    if (!comments.empty())
      po_message_set_extracted_comments(m, comments.c_str());
    po_message_insert(it, m);
  }
  po_message_iterator_free(it);

  char path[] = "/tmp/phrasor-dump-XXXXXX";
  int fd = mkstemp(path);
  if (fd < 0)
    throw FatalError("cannot create a temporary file: " + SystemReason());
  close(fd);
  const po_xerror_handler handler = {WriteFailed, WriteFailed2};
  po_file_t written = po_file_write(file, path, &handler);
  po_file_free(file);
  std::string text;
  if (std::FILE *f = std::fopen(path, "rb")) {
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
      text.append(buffer, n);
    std::fclose(f);
  }
  std::remove(path);
  if (!written)
    throw FatalError("cannot write the PO text");
  return text;
}

} // namespace

std::string WriteEntries(const std::vector<authoring::Entry> &entries,
                         DumpFormat format, const std::string &where,
                         Diagnostics &diag) {
  const std::vector<TextEntry> text = ToText(entries, where, diag);
  switch (format) {
  case DumpFormat::Csv:
    return WriteCsv(text);
  case DumpFormat::Json:
    return WriteJson(text);
  case DumpFormat::Po:
    return WritePo(text);
  }
  return "";
}

} // namespace phrasor::tool
