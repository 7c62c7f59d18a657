#include "cli/line_writer.h"

#include <cerrno>

#include "app/texts.h"

namespace venmark {

LineWriter::LineWriter(const ResultFormat& format, Output* out)
    : style_{&format, "\n", &text::ResultLineWords()}, out_(out) {}

bool LineWriter::Write(const MacFinding& finding) {
  lines_.clear();
  Name(finding, &lines_);
  return WriteNamed(lines_);
}

void LineWriter::Name(const MacFinding& finding, std::string* lines) {
  SearchMacBase(*listings_, finding, style_, lines, &rows_, &scratch_);
}

bool LineWriter::WriteNamed(std::string_view lines) {
  out_->Write(lines);
  return !out_->failed();
}

void Output::Write(std::string_view text) {
  if (error_ != 0 || text.empty()) return;
  held_.append(text);
  if (held_.size() >= kPiece) Hand();
}

void Output::Hand() {
  if (error_ == 0 && !held_.empty()) {
    errno = 0;
    if (std::fwrite(held_.data(), 1, held_.size(), stream_) != held_.size()) {
      error_ = errno != 0 ? errno : EIO;
    }
  }
  held_.clear();
}

int Output::Flush() {
  Hand();
  errno = 0;
  if (std::fflush(stream_) != 0 && error_ == 0) {
    error_ = errno != 0 ? errno : EIO;
  }
  return error_;
}

}  // namespace venmark
