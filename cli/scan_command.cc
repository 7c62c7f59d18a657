#include "cli/scan_command.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>

#include "lookup/listing_file.h"
#include "lookup/listing_places.h"
#include "lookup/listing_set.h"
#include "lookup/mac_scanner.h"
#include "lookup/search.h"
#include "lookup/text_codec.h"
#include "update/database_update.h"
#include "update/transport.h"

namespace venmark {
namespace {

constexpr std::string_view kUsage =
    "Использование: venmark-scan [--db ФАЙЛ] [--format ВИД] [ФАЙЛ...]\n"
    "               venmark-scan [--db ФАЙЛ] --update\n"
    "               venmark-scan [--db ФАЙЛ] --version\n"
    "\n"
    "Находит в тексте MAC-адреса (00-1a-2b-3c-4d-5e, 00:1a:2b:3c:4d:5e,\n"
    "001a.2b3c.4d5e, 001a-2b3c-4d5e) и называет производителя каждого по\n"
    "спискам IEEE: MA-L и, если они лежат рядом, MA-M, MA-S и IAB.\n"
    "Каждый ФАЙЛ просматривается отдельно, по порядку; без ФАЙЛОВ и для «-»\n"
    "читается стандартный ввод (UTF-8 или UTF-16 с меткой порядка байтов).\n"
    "Строки результата выводятся в стандартный вывод в кодировке UTF-8.\n"
    "\n"
    "Без --db список MA-L ищется по порядку: base.dat в текущей папке,\n"
    "$XDG_DATA_HOME/venmark/base.dat (~/.local/share/venmark/base.dat),\n"
    "/usr/share/ieee-data/oui.txt.\n"
    "\n"
    "Параметры:\n"
    "  --db ФАЙЛ     список MA-L (и списки рядом с ним)\n"
    "  --format ВИД  text (по умолчанию): «MAC - производитель»;\n"
    "                tsv: MAC, блок, производитель, примечание через "
    "табуляцию;\n"
    "                json: по объекту JSON в строке с полями mac, assignment,\n"
    "                vendor, note\n"
    "  --update      загрузить свежие списки с сервера IEEE и заменить ими\n"
    "                прежние; ход загрузки и ошибки выводятся в stderr\n"
    "  --version     версия программы и списки, по которым идёт поиск\n"
    "  --help        показать эту справку\n"
    "\n"
    "Код завершения: 0 — поиск или обновление выполнены; 1 — ошибка в\n"
    "параметрах, входной файл не читается или результат не записывается;\n"
    "2 — не читается список производителей; 3 — обновить списки не удалось;\n"
    "128 + номер сигнала — обновление прервано (130 — Ctrl+C, 143 — "
    "SIGTERM).\n";

struct Options {
  std::string db_path;  // empty: looked for in ListingPlaces()
  std::vector<std::string> inputs;
  ResultFormat format = ResultFormat::kText;
  bool help = false;
  bool version = false;
  bool update = false;
};

// The value of an option given as "--name VALUE" or "--name=VALUE"; args[*i]
// is the option and *i moves past what it used.
std::optional<std::string> OptionValue(const std::vector<std::string>& args,
                                       std::size_t* i, std::string_view name) {
  const std::string& arg = args[*i];
  if (arg == name) {
    if (*i + 1 == args.size()) return std::nullopt;
    return args[++*i];
  }
  return arg.substr(name.size() + 1);
}

bool IsOption(const std::string& arg, std::string_view name) {
  return arg == name || (arg.size() > name.size() && arg.starts_with(name) &&
                         arg[name.size()] == '=');
}

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
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--update") {
      options.update = true;
    } else if (IsOption(arg, "--db")) {
      const std::optional<std::string> value = OptionValue(args, &i, "--db");
      if (!value || value->empty()) {
        *error = "после --db нужно имя файла";
        return std::nullopt;
      }
      options.db_path = *value;
    } else if (IsOption(arg, "--format")) {
      const std::optional<std::string> value =
          OptionValue(args, &i, "--format");
      if (value == "text") {
        options.format = ResultFormat::kText;
      } else if (value == "tsv") {
        options.format = ResultFormat::kTsv;
      } else if (value == "json") {
        options.format = ResultFormat::kJson;
      } else {
        *error = "--format принимает text, tsv или json";
        return std::nullopt;
      }
    } else {
      *error = "неизвестный параметр «" + arg + "»";
      return std::nullopt;
    }
  }
  if (options.update && !options.inputs.empty()) {
    *error = "--update не принимает входных файлов";
    return std::nullopt;
  }
  if (options.inputs.empty()) options.inputs.push_back("-");
  return options;
}

// sentence with its first letter, Latin or Cyrillic, in lower case: the
// messages of this program start after "venmark-scan: ".
std::string LowerFirst(std::string sentence) {
  if (sentence.empty()) return sentence;
  auto& c0 = reinterpret_cast<unsigned char&>(sentence[0]);
  if (c0 >= 'A' && c0 <= 'Z') {
    c0 = static_cast<unsigned char>(c0 - 'A' + 'a');
  } else if (c0 == 0xD0 && sentence.size() > 1) {
    // А-П (D0 90-9F) become а-п (D0 B0-BF); Р-Я (D0 A0-AF), р-я (D1 80-8F).
    auto& c1 = reinterpret_cast<unsigned char&>(sentence[1]);
    if (c1 >= 0x90 && c1 <= 0x9F) {
      c1 = static_cast<unsigned char>(c1 + 0x20);
    } else if (c1 >= 0xA0 && c1 <= 0xAF) {
      c0 = 0xD1;
      c1 = static_cast<unsigned char>(c1 - 0x20);
    }
  }
  return sentence;
}

void PrintLine(std::FILE* stream, const std::string& line) {
  const std::string text = "venmark-scan: " + LowerFirst(line) + "\n";
  std::fwrite(text.data(), 1, text.size(), stream);
}

// Standard output that remembers its first failure, so that a full disk or
// a closed pipe is reported instead of passing for success.
class Output {
 public:
  explicit Output(std::FILE* stream) : stream_(stream) {}

  void Write(std::string_view text) {
    if (error_ != 0 || text.empty()) return;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stream_) != text.size()) {
      error_ = errno != 0 ? errno : EIO;
    }
  }

  // Flushes; 0 or the errno value of the first failure.
  int Finish() {
    errno = 0;
    if (std::fflush(stream_) != 0 && error_ == 0) {
      error_ = errno != 0 ? errno : EIO;
    }
    return error_;
  }

  bool failed() const { return error_ != 0; }

 private:
  std::FILE* stream_;
  int error_ = 0;
};

// Writes the result lines of the text read from input, scanning it a block
// at a time, so any size of input runs in a little fixed memory. UTF-16 with
// a byte-order mark is decoded first. On a read error returns false with
// *error_number set.
bool ScanStream(std::FILE* input, const ListingSet& listings,
                ResultFormat format, Output* out, int* error_number) {
  constexpr std::size_t kBlock = 1 << 16;
  std::string block(kBlock, '\0');
  std::string utf8;
  std::string results;
  results.reserve(2 * kBlock);
  Assignment scratch;
  StreamScanner scanner;
  std::optional<Utf16Decoder> utf16;
  bool first = true;
  auto found = [&](const MacFinding& finding) {
    SearchMacBase(listings, finding, format, "\n", &results, &scratch);
  };
  for (;;) {
    errno = 0;
    const std::size_t got = std::fread(block.data(), 1, kBlock, input);
    std::string_view text(block.data(), got);
    if (first) {
      first = false;
      if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
        utf16.emplace(text[0] == '\xFE');
        text.remove_prefix(2);
      }
    }
    if (utf16) {
      utf8.clear();
      utf16->Feed(text, &utf8);
      text = utf8;
    }
    scanner.Feed(text, found);
    out->Write(results);
    results.clear();
    if (out->failed()) return true;  // reported by the caller
    if (got < kBlock) {
      if (std::ferror(input)) {
        *error_number = errno != 0 ? errno : EIO;
        return false;
      }
      if (std::feof(input)) break;
    }
  }
  if (utf16) {
    utf8.clear();
    utf16->Finish(&utf8);
    scanner.Feed(utf8, found);
  }
  scanner.Finish(found);
  out->Write(results);
  return true;
}

// Opens the file called name (UTF-8) for reading.
std::FILE* OpenInput(const std::string& name) {
#ifdef _WIN32
  return _wfopen(PathFromUtf8(name).c_str(), L"rb");
#else
  return std::fopen(name.c_str(), "rb");
#endif
}

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
  return _isatty(_fileno(stream)) != 0;
#else
  return ::isatty(::fileno(stream)) != 0;
#endif
}

// Scans the file called name, or in for "-".
bool ScanInput(const std::string& name, std::FILE* in,
               const ListingSet& listings, ResultFormat format, Output* out,
               int* error_number) {
  if (name == "-") return ScanStream(in, listings, format, out, error_number);
  errno = 0;
  std::FILE* file = OpenInput(name);
  if (file == nullptr) {
    *error_number = errno != 0 ? errno : EIO;
    return false;
  }
  const bool ok = ScanStream(file, listings, format, out, error_number);
  std::fclose(file);
  return ok;
}

// The listing named by --db, or the first found where listings are looked
// for; empty when there is none.
std::string ListingPath(const Options& options) {
  if (options.db_path.empty()) return FindListing(ListingPlaces());
  // Named in full, so that every message says which folder was meant.
  std::error_code error;
  const std::filesystem::path absolute =
      std::filesystem::absolute(PathFromUtf8(options.db_path), error);
  return error ? options.db_path : Utf8FromPath(absolute.lexically_normal());
}

// "2022-08-27": the day a file was last changed, in local time.
std::string FileDate(const std::string& path) {
  std::error_code error;
  const auto written =
      std::filesystem::last_write_time(PathFromUtf8(path), error);
  if (error) return "?";
  const std::time_t time = std::chrono::system_clock::to_time_t(
      std::chrono::file_clock::to_sys(written));
  const std::tm* local = std::localtime(&time);
  char text[16];
  if (local == nullptr ||
      std::strftime(text, sizeof text, "%Y-%m-%d", local) == 0) {
    return "?";
  }
  return text;
}

// The version, and which files answer: paths, record counts and dates.
int PrintVersion(const Options& options, Output* out) {
  out->Write("venmark-scan " VENMARK_VERSION "\n");
  const std::string path = ListingPath(options);
  if (path.empty()) {
    out->Write(NoListingMessage(ListingPlaces()) + "\n");
    return out->Finish() == 0 ? kExitOk : kExitUsage;
  }
  std::string error;
  const std::optional<ListingSet> listings = ListingSet::Load(path, &error);
  if (!listings) {
    out->Write(error + "\n");
    return out->Finish() == 0 ? kExitOk : kExitUsage;
  }
  out->Write("Списки производителей:\n  MA-L  " + path + ": записей " +
             std::to_string(listings->ma_l().record_count()) + ", от " +
             FileDate(path) + "\n");
  for (const CompanionFile& file : CompanionFiles(path)) {
    if (const BlockDb* blocks = listings->companion(file.kind)) {
      out->Write("  " + std::string(BlockKindName(file.kind)) + "  " +
                 file.path + ": записей " +
                 std::to_string(blocks->record_count()) + ", от " +
                 FileDate(file.path) + "\n");
    }
  }
  return out->Finish() == 0 ? kExitOk : kExitUsage;
}

volatile std::sig_atomic_t stop_signal = 0;

void OnStopSignal(int signal_number) { stop_signal = signal_number; }

// Replaces the listings with fresh IEEE ones. Ctrl+C, SIGTERM and SIGHUP
// cancel the download cleanly instead of leaving a half-written file behind.
int RunUpdate(const Options& options, std::FILE* err) {
  UpdateOptions update;
  // A mirror of the IEEE's server, or a test's stand-in for it.
  if (const char* origin = std::getenv("VENMARK_IEEE_ORIGIN");
      origin != nullptr && origin[0] != '\0') {
    update.sources = IeeeSources(origin);
  }
  update.database =
      options.db_path.empty() ? UpdateTarget() : ListingPath(options);
  // The user's data folder may not be there yet.
  std::error_code ignored;
  std::filesystem::create_directories(
      PathFromUtf8(update.database).parent_path(), ignored);
  const bool terminal = IsTerminal(err);
  std::int64_t shown = -1;
  stop_signal = 0;
#ifdef SIGHUP
  constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
#else
  constexpr int kStopSignals[] = {SIGINT, SIGTERM};
#endif
  void (*previous[std::size(kStopSignals)])(int);
  for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
    previous[i] = std::signal(kStopSignals[i], OnStopSignal);
  }
  PrintLine(err, "загрузка списков OUI с сервера IEEE в «" + update.database +
                     "» и рядом");
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
      PrintLine(err, "база «" + update.database +
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
  Output output(out);
  auto finish = [&](int status) {
    if (const int error = output.Finish(); error != 0) {
      PrintLine(err,
                "не удалось вывести результат: " + DescribeSystemError(error));
      return kExitUsage;
    }
    return status;
  };
  if (options->help) {
    output.Write(kUsage);
    return finish(kExitOk);
  }
  if (options->version) return finish(PrintVersion(*options, &output));
  if (options->update) return RunUpdate(*options, err);

  const std::string path = ListingPath(*options);
  if (path.empty()) {
    PrintLine(err, NoListingMessage(ListingPlaces()));
    return kExitNoDatabase;
  }
  std::string db_error;
  const std::optional<ListingSet> listings = ListingSet::Load(path, &db_error);
  if (!listings) {
    PrintLine(err, db_error);
    return kExitNoDatabase;
  }

  int status = kExitOk;
  for (const std::string& input : options->inputs) {
    int error_number = 0;
    if (!ScanInput(input, in, *listings, options->format, &output,
                   &error_number)) {
      const std::string shown = input == "-" ? "стандартный ввод" : input;
      PrintLine(err, "не удалось прочитать «" + shown +
                         "»: " + DescribeSystemError(error_number));
      status = kExitUsage;
    }
    if (output.failed()) break;
  }
  return finish(status);
}

}  // namespace venmark
