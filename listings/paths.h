#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Paths travel through the program as UTF-8 strings; these turn them into
// file system paths and back, so that Windows does not read them in its
// ANSI code page.
namespace venmark {

std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

// The folder of the file at path (UTF-8), "." for a bare name.
std::string FolderOf(const std::string& path);

// Whether a file at path (UTF-8) is there at all (a broken link counts).
bool Present(const std::string& path);

}  // namespace venmark
