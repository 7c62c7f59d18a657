// The text format: "MAC - vendor (note) [device]", as the results window
// shows it; no line numbers.
#include "app/result_format.h"
#include "scan/mac.h"

namespace venmark {
namespace {

void AppendTextRow(const ResultRow& row, const ResultStyle& style,
                   std::string* out) {
  const ResultWords& words = *style.words;
  const std::string_view note = words.NoteOf(row);
  out->append(row.mac);
  if (!row.range.empty()) {
    // The administrator's range is more specific than any listing's.
    out->append(" - ");
    AppendVisible(row.range, out);
    out->append(" (").append(words.user_range).append(")");
  } else {
    if (row.found) {
      out->append(" - ");
      AppendVisible(row.vendor, out);
    } else {
      out->append(words.vendor_not_found);
    }
    if (!note.empty()) out->append(" (").append(note).append(")");
  }
  if (!row.device.empty()) {
    out->append(" [");
    AppendVisible(row.device, out);
    out->push_back(']');
  }
  // The MAC is named only where the text as written is not one.
  if (row.source != Source::kWritten) {
    out->append(" (").append(words.derived_mac).append(" ");
    out->append(mac::ColonPairs(row.address)).append(" ");
    out->append(words.From(row.source)).append(")");
  }
}

}  // namespace

constinit const ResultFormat ResultFormat::kText{"text", false, &AppendTextRow};

}  // namespace venmark
