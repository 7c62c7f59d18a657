#include "cli/scan_command.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>

#include "lookup/listing_set.h"
#include "lookup/mac_scanner.h"
#include "lookup/search.h"
#include "update/database_update.h"
#include "update/transport.h"

namespace venmark {
namespace {

constexpr std::string_view kUsage =
    "Использование: venmark-scan [--db ФАЙЛ] [ФАЙЛ...]\n"
    "               venmark-scan [--db ФАЙЛ] --update\n"
    "\n"
    "Находит в тексте MAC-адреса (00-1a-2b-3c-4d-5e, 00:1a:2b:3c:4d:5e,\n"
    "001a.2b3c.4d5e, 001a-2b3c-4d5e) и называет производителя каждого по\n"
    "спискам IEEE: MA-L (base.dat) и, если они лежат рядом, MA-M, MA-S и IAB.\n"
    "Каждый ФАЙЛ просматривается отдельно, по порядку; без ФАЙЛОВ и для «-»\n"
    "читается стандартный ввод. Строки результата выводятся в стандартный\n"
    "вывод в кодировке UTF-8.\n"
    "\n"
    "Параметры:\n"
    "  --db ФАЙЛ   список MA-L (по умолчанию base.dat в текущей папке)\n"
    "  --update    загрузить свежие списки с сервера IEEE и заменить ими\n"
    "              прежние; ход загрузки и ошибки выводятся в stderr\n"
    "  --help      показать эту справку\n"
    "\n"
    "Код завершения: 0 — поиск или обновление выполнены; 1 — ошибка в\n"
    "параметрах или входной файл не читается; 2 — не читается список\n"
    "производителей; 3 — обновить базу не удалось; 128 + номер сигнала —\n"
    "обновление прервано (130 — Ctrl+C, 143 — SIGTERM).\n";

struct Options {
  std::string db_path = "base.dat";
  std::vector<std::string> inputs;
  bool help = false;
  bool update = false;
};

// Parses args; on a usage error returns nothing and sets *error.
std::optional<Options> ParseArgs(const std::vector<std::string>& args,
                                 std::string* error) {
  Options options;
  bool options_ended = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_ended || arg == "-" || arg.empty() || arg[0] != '-') {
      options.inputs.push_back(arg);
    } else if (arg == "--") {
      options_ended = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--update") {
      options.update = true;
    } else if (arg == "--db") {
      if (i + 1 == args.size()) {
        *error = "после --db нужно имя файла";
        return std::nullopt;
      }
      options.db_path = args[++i];
    } else if (arg.starts_with("--db=")) {
      options.db_path = arg.substr(5);
    } else {
      *error = "неизвестный параметр «" + arg + "»";
      return std::nullopt;
    }
  }
  if (options.db_path.empty()) {
    *error = "после --db нужно имя файла";
    return std::nullopt;
  }
  if (options.update && !options.inputs.empty()) {
    *error = "--update не принимает входных файлов";
    return std::nullopt;
  }
  if (options.inputs.empty()) options.inputs.push_back("-");
  return options;
}

// Writes the result lines of the text read from input to out, scanning it a
// block at a time, so any size of input runs in a little fixed memory. On a
// read error returns false with *error_number set.
bool ScanStream(std::FILE* input, const ListingSet& listings, std::FILE* out,
                int* error_number) {
  constexpr std::size_t kBlock = 1 << 16;
  std::string block(kBlock, '\0');
  std::string results;
  results.reserve(2 * kBlock);
  Assignment scratch;
  StreamScanner scanner;
  auto found = [&](const MacFinding& finding) {
    SearchMacBase(listings, finding, "\n", &results, &scratch);
  };
  for (;;) {
    errno = 0;
    const std::size_t got = std::fread(block.data(), 1, kBlock, input);
    scanner.Feed(std::string_view(block).substr(0, got), found);
    std::fwrite(results.data(), 1, results.size(), out);
    results.clear();
    if (got < kBlock) {
      if (std::ferror(input)) {
        *error_number = errno != 0 ? errno : EIO;
        return false;
      }
      if (std::feof(input)) break;
    }
  }
  scanner.Finish(found);
  std::fwrite(results.data(), 1, results.size(), out);
  return true;
}

// Scans the file called name, or in for "-".
bool ScanInput(const std::string& name, std::FILE* in,
               const ListingSet& listings, std::FILE* out, int* error_number) {
  if (name == "-") return ScanStream(in, listings, out, error_number);
  errno = 0;
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) {
    *error_number = errno != 0 ? errno : EIO;
    return false;
  }
  const bool ok = ScanStream(file, listings, out, error_number);
  std::fclose(file);
  return ok;
}

void PrintLine(std::FILE* stream, const std::string& line) {
  std::fprintf(stream, "venmark-scan: %s\n", line.c_str());
}

volatile std::sig_atomic_t stop_signal = 0;

void OnStopSignal(int signal_number) { stop_signal = signal_number; }

// Replaces the listings with fresh IEEE ones. Ctrl+C, SIGTERM and SIGHUP
// cancel the download cleanly instead of leaving a half-written file behind.
int RunUpdate(const Options& options, std::FILE* err) {
  UpdateOptions update;
  update.database = options.db_path;
  const bool terminal = ::isatty(::fileno(err)) != 0;
  std::int64_t shown = -1;
  stop_signal = 0;
  constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
  void (*previous[std::size(kStopSignals)])(int);
  for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
    previous[i] = std::signal(kStopSignals[i], OnStopSignal);
  }
  std::fprintf(err, "venmark-scan: загрузка списков OUI с сервера IEEE\n");
  const std::unique_ptr<Transport> transport = MakeSystemTransport();
  const UpdateResult result =
      UpdateDatabase(update, *transport, [&](std::int64_t received) {
        // A line a quarter of a megabyte, not one per packet.
        if (terminal && received / (256 * 1024) != shown) {
          shown = received / (256 * 1024);
          std::fprintf(err, "\rполучено %.1f МБ",
                       static_cast<double>(received) / 1048576.0);
          std::fflush(err);
        }
        return stop_signal == 0;
      });
  for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
    std::signal(kStopSignals[i], previous[i]);
  }
  if (terminal && shown >= 0) std::fputc('\n', err);
  switch (result.status) {
    case UpdateStatus::kUpdated:
      PrintLine(err, "база «" + options.db_path +
                         "» обновлена, записей в ней: " +
                         std::to_string(result.records));
      for (const std::string& kept : result.kept) {
        PrintLine(err, "прежним оставлен " + kept);
      }
      return kExitOk;
    case UpdateStatus::kCancelled:
      PrintLine(err, "обновление прервано, база оставлена прежней");
      return 128 + (stop_signal != 0 ? stop_signal : SIGINT);
    case UpdateStatus::kFailed:
      break;
  }
  PrintLine(err, result.message);
  return kExitUpdateFailed;
}

}  // namespace

int RunScanCommand(const std::vector<std::string>& args, std::FILE* in,
                   std::FILE* out, std::FILE* err) {
  std::string usage_error;
  const std::optional<Options> options = ParseArgs(args, &usage_error);
  if (!options) {
    PrintLine(err, usage_error);
    std::fputs("Справка: venmark-scan --help\n", err);
    return kExitUsage;
  }
  if (options->help) {
    std::fwrite(kUsage.data(), 1, kUsage.size(), out);
    return kExitOk;
  }
  if (options->update) return RunUpdate(*options, err);

  std::string db_error;
  const std::optional<ListingSet> listings =
      ListingSet::Load(options->db_path, &db_error);
  if (!listings) {
    PrintLine(err, db_error);
    return kExitNoDatabase;
  }

  int status = kExitOk;
  for (const std::string& input : options->inputs) {
    int error_number = 0;
    if (!ScanInput(input, in, *listings, out, &error_number)) {
      const std::string shown = input == "-" ? "стандартный ввод" : input;
      PrintLine(err, "не удалось прочитать «" + shown +
                         "»: " + DescribeSystemError(error_number));
      status = kExitUsage;
      continue;
    }
  }
  if (std::fflush(out) != 0) {
    PrintLine(err, std::string("не удалось вывести результат: ") +
                       DescribeSystemError(errno));
    return kExitUsage;
  }
  return status;
}

}  // namespace venmark
