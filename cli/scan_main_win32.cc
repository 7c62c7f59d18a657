#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/scan_command.h"
#include "scan/text_codec.h"

// Arguments arrive in UTF-16, so that file names in any script survive;
// the program works in UTF-8. Output is UTF-8 bytes, which a console shows
// as Cyrillic once told to.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(venmark::Utf8FromWide(argv[i]));
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  const UINT previous_cp = GetConsoleOutputCP();
  SetConsoleOutputCP(CP_UTF8);
  const int status = venmark::RunScanCommand(args, stdin, stdout, stderr);
  SetConsoleOutputCP(previous_cp);
  return status;
}
