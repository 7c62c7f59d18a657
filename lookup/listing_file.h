#pragma once

#include <cstddef>
#include <deque>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace venmark {

// No IEEE listing comes near this size; a larger file is something else
// (a disk image, /dev/zero) and is refused before it fills the memory.
inline constexpr std::size_t kMaxListingBytes = std::size_t{256} << 20;

// Paths travel through the program as UTF-8 strings; these turn them into
// file system paths and back, so that Windows does not read them in its
// ANSI code page.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

// The folder of the file at path (UTF-8), "." for a bare name.
std::string FolderOf(const std::string& path);

// Reads the whole file at path into *data. On failure returns false and
// sets *reason to a Russian phrase saying why.
bool ReadListingFile(const std::string& path, std::vector<char>* data,
                     std::string* reason);

// Calls line(text) for each line of listing; CR LF, a lone CR and a lone LF
// all end a line, and a last line without one counts too.
template <typename Line>
void ForEachLine(std::string_view listing, Line&& line) {
  std::size_t start = 0;
  while (start < listing.size()) {
    std::size_t end = start;
    while (end < listing.size() && listing[end] != '\r' &&
           listing[end] != '\n') {
      ++end;
    }
    const std::size_t next =
        end == listing.size()
            ? end
            : end + ((listing[end] == '\r' && end + 1 < listing.size() &&
                      listing[end + 1] == '\n')
                         ? 2
                         : 1);
    line(listing.substr(start, end - start));
    start = next;
  }
}

// name as UTF-8: itself when it is UTF-8 already, else decoded from
// Windows-1252 into a string kept in *decoded.
std::string_view NameAsUtf8(std::string_view name,
                            std::deque<std::string>* decoded);

// A Russian wording of errno value `error`, for messages to the user.
std::string DescribeSystemError(int error);

}  // namespace venmark
