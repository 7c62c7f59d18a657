#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "listings/file_read.h"
#include "listings/listing_kinds.h"
#include "listings/text_search.h"

namespace venmark {

// Keeps of a listing's text, as it is read a piece at a time, only the
// records of the 24-bit prefixes asked about: each line that starts (after
// blanks) with a prefix's key ("00-1A-2B", either case) and, in a listing
// of blocks, the line after it. The listing's readers find in what is kept
// the same records of those prefixes as in the whole. Naming a few MACs
// so costs one pass over the files in memory that stays in the cache, and
// no index.
class RecordFilter : public PieceFilter {
 public:
  RecordFilter(ListingKind kind, std::span<const std::uint32_t> prefixes);

  void Restart() override;
  std::size_t Take(std::string_view text, bool at_end) override;

  // The kept lines, each ended by CR LF, in file order.
  const std::string& kept() const { return kept_; }
  // Whether the listing holds any record at all (of any prefix), as its
  // reader tells.
  bool saw_record() const { return saw_record_; }

 private:
  // Looks for a first record in text before until.
  void LookForRecord(std::string_view text, std::size_t until);

  ListingKind kind_;
  std::vector<std::string> keys_;
  std::vector<Finder> finders_;  // over keys_, which never move again
  std::string kept_;
  bool saw_record_ = false;
  bool at_start_ = true;
};

}  // namespace venmark
