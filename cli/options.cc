#include "cli/options.h"

namespace venmark {
namespace {

constexpr std::string_view kUsage =
    "Использование: venmark-scan [--db ФАЙЛ] [--format ВИД] [ФАЙЛ...]\n"
    "               venmark-scan [--db ФАЙЛ] --update\n"
    "               venmark-scan [--db ФАЙЛ] --version\n"
    "\n"
    "Находит в тексте MAC-адреса (00-1a-2b-3c-4d-5e, 00:1a:2b:3c:4d:5e,\n"
    "001a.2b3c.4d5e, 001a-2b3c-4d5e, 0:1d:aa:8f:23:ed, 001e49-7a33c1,\n"
    "Hex-STRING: 00 1A 2B 3C 4D 5E, 0100.1a2b.3c4d.5e, а после подписи MAC —\n"
    "и 001A2B3C4D5E) и называет производителя каждого по\n"
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
    "  --update      загрузить свежие списки с сервера IEEE (HTTPS) и "
    "заменить\n"
    "                ими прежние; ход загрузки и ошибки выводятся в stderr\n"
    "  --version     версия программы и списки, по которым идёт поиск\n"
    "  --help        показать эту справку\n"
    "\n"
    "Код завершения: 0 — поиск или обновление выполнены; 1 — ошибка в\n"
    "параметрах, входной файл не читается или результат не записывается;\n"
    "2 — не читается список производителей; 3 — обновить списки не удалось;\n"
    "128 + номер сигнала — обновление прервано (130 — Ctrl+C, 143 — "
    "SIGTERM).\n";

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

}  // namespace

std::string_view Usage() { return kUsage; }

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

}  // namespace venmark
