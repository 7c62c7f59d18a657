// The tsv format: mac, assignment, vendor, note, address, line and name,
// tab-separated, for a spreadsheet or cut.
#include <string>

#include "app/result_format.h"
#include "scan/mac.h"

namespace venmark {
namespace {

void AppendTsvRow(const ResultRow& row, const ResultStyle& style,
                  std::string* out) {
  for (const std::string_view field :
       {row.mac, row.assignment, row.vendor, style.words->NoteOf(row)}) {
    AppendVisible(field, out);
    out->push_back('\t');
  }
  out->append(mac::ColonPairs(row.address)).push_back('\t');
  out->append(std::to_string(row.line)).push_back('\t');
  // The device's own name, else the range's.
  AppendVisible(row.device.empty() ? row.range : row.device, out);
}

}  // namespace

constinit const ResultFormat ResultFormat::kTsv{"tsv", true, &AppendTsvRow};

}  // namespace venmark
