#include <string>
#include <vector>

#include "cli/scan_command.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return venmark::RunScanCommand(args, stdin, stdout, stderr);
}
