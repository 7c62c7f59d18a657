#pragma once

#include <string_view>

#include "cli/stream_scan.h"
#include "listings/listing_set.h"
#include "listings/result_lines.h"

namespace venmark {

// Writes the result lines of a text held whole (a mapped file), in the
// order its MACs stand. A long text is scanned on this thread while a
// second looks its MACs up and writes their lines, a batch behind.
void ScanWhole(std::string_view text, const ListingSet& listings,
               ResultFormat format, Output* out);

}  // namespace venmark
