// The json format: one object a line, the fields of tsv by name, and
// derived_from for a MAC found inside another identifier.
#include <cstdio>
#include <string>

#include "app/result_format.h"
#include "scan/mac.h"

namespace venmark {
namespace {

// derived_from: what the MAC was found inside, in words a script matches.
std::string_view SourceName(Source source) {
  switch (source) {
    case Source::kWritten:
      return {};
    case Source::kIpv6:
      return "ipv6";
    case Source::kDuid:
      return "duid";
    case Source::kClientId:
      return "client-id";
  }
  return {};
}

void AppendJsonString(std::string_view text, std::string* out) {
  out->push_back('"');
  for (const char c : text) {
    switch (c) {
      case '"':
        out->append("\\\"");
        break;
      case '\\':
        out->append("\\\\");
        break;
      case '\n':
        out->append("\\n");
        break;
      case '\r':
        out->append("\\r");
        break;
      case '\t':
        out->append("\\t");
        break;
      default:
        // Every C0 control and DEL escaped: a JSON line read on a terminal
        // moves no cursor.
        if (IsControl(c)) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x",
                        static_cast<unsigned>(static_cast<unsigned char>(c)));
          out->append(escaped);
        } else {
          out->push_back(c);
        }
    }
  }
  out->push_back('"');
}

void AppendJsonRow(const ResultRow& row, const ResultStyle& style,
                   std::string* out) {
  out->append("{\"mac\":");
  AppendJsonString(row.mac, out);
  out->append(",\"assignment\":");
  AppendJsonString(row.assignment, out);
  out->append(",\"vendor\":");
  AppendJsonString(row.vendor, out);
  out->append(",\"note\":");
  AppendJsonString(style.words->NoteOf(row), out);
  out->append(",\"address\":\"").append(mac::ColonPairs(row.address));
  out->append("\",\"line\":").append(std::to_string(row.line));
  out->append(",\"name\":");
  AppendJsonString(row.device.empty() ? row.range : row.device, out);
  if (row.source != Source::kWritten) {
    out->append(",\"derived_from\":\"");
    out->append(SourceName(row.source)).push_back('"');
  }
  out->push_back('}');
}

}  // namespace

constinit const ResultFormat ResultFormat::kJson{"json", true, &AppendJsonRow};

}  // namespace venmark
