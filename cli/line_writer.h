#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "app/result_format.h"
#include "listings/listing_set.h"

namespace venmark {

// Standard output that remembers its first failure, so that a full disk or
// a closed pipe is reported instead of passing for success. Text is handed
// on in large pieces, and at once on Flush.
class Output {
 public:
  explicit Output(std::FILE* stream) : stream_(stream) {}

  void Write(std::string_view text);
  // Hands what is written on to the reader; 0 or the errno value of the
  // first failure so far.
  int Flush();
  bool failed() const { return error_ != 0; }

 private:
  void Hand();

  static constexpr std::size_t kPiece = std::size_t{1} << 18;
  std::FILE* stream_;
  std::string held_;
  int error_ = 0;
};

// Looks up and writes the lines of each finding.
class LineWriter {
 public:
  // Writes nothing until the listings are told by Use.
  LineWriter(const ResultFormat& format, Output* out);

  // The lines of finding on to out; false once the output failed.
  bool Write(const MacFinding& finding);

  // Appends the lines of finding to *lines, written nowhere.
  void Name(const MacFinding& finding, std::string* lines);

  // Lines named elsewhere on to out; false once the output failed.
  bool WriteNamed(std::string_view lines);

  // Looks up in listings from now on.
  void Use(const ListingSet& listings) { listings_ = &listings; }

 private:
  const ListingSet* listings_ = nullptr;
  ResultStyle style_;
  Output* out_;
  std::string lines_;
  std::vector<ResultRow> rows_;
  Assignment scratch_;
};

}  // namespace venmark
