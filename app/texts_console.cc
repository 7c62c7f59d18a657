// The catalog's words for the command lines.
#include "app/texts.h"
#include "scan/mac_shapes.h"

namespace venmark::text {

std::string UsageProblem(Usage problem, std::string_view arg) {
  switch (problem) {
    case Usage::kDbWithoutFile:
      return "после --db нужно имя файла";
    case Usage::kFromWithoutOrigin:
      return "после --from нужна папка или адрес";
    case Usage::kFromWithoutUpdate:
      return "--from действует только вместе с --update";
    case Usage::kFromNoFolder:
      return "после --from «" + std::string(arg) +
             "» не может быть папкой: в имени есть нулевой знак (%00)";
    case Usage::kBadFormat: {
      // Every format of the table: "text, tsv или json".
      std::string names;
      for (std::size_t i = 0; i < kResultFormats.size(); ++i) {
        if (i > 0) names += i + 1 < kResultFormats.size() ? ", " : " или ";
        names += kResultFormats[i]->name;
      }
      return "--format принимает " + names;
    }
    case Usage::kUnknownOption:
      return "неизвестный параметр «" + std::string(arg) + "»";
    case Usage::kUpdateWithInputs:
      return "--update не принимает входных файлов";
  }
  return {};
}

std::string ListingLine(std::string_view name, std::string_view path,
                        std::size_t records, std::string_view day) {
  return "  " + std::string(name) + "  " + std::string(path) + ": записей " +
         std::to_string(records) + ", от " + std::string(day);
}

std::string BadNameLineText(const BadNameLine& bad) {
  return "«" + bad.path + "», строка " + std::to_string(bad.line) +
         ": не указаны MAC-адрес или диапазон и название — строка пропущена";
}

std::string NamesFileLine(std::string_view path, std::size_t names) {
  return "  Имена  " + std::string(path) + ": названий " +
         std::to_string(names);
}

std::string ShownLocation(const Origin& origin) {
  std::string_view location = origin.location;
  std::string shown;
  // A password in a mirror's address is never shown: "https://***@host".
  if (origin.kind == Origin::Kind::kWeb) {
    const std::size_t scheme = location.find("://");
    const std::size_t host = scheme == std::string_view::npos ? 0 : scheme + 3;
    const std::size_t path = location.find('/', host);
    const std::size_t at = location.substr(0, path).rfind('@');
    if (at != std::string_view::npos && at >= host) {
      shown.append(location.substr(0, host)).append("***");
      location.remove_prefix(at);
    }
  }
  // A control character (from a settings file, say) is shown, not obeyed
  // by the terminal or the window.
  for (const char c : location) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      constexpr char kHex[] = "0123456789abcdef";
      shown.append("\\x").push_back(kHex[byte >> 4]);
      shown.push_back(kHex[byte & 0xF]);
    } else {
      shown.push_back(c);
    }
  }
  return shown;
}

std::string OriginName(const Origin& origin) {
  if (IsIeee(origin)) return "сервер IEEE";
  return (origin.kind == Origin::Kind::kFolder ? "папка «" : "«") +
         ShownLocation(origin) + "»";
}

std::string UpdateStarting(std::string_view destination, const Origin& origin) {
  const std::string from =
      IsIeee(origin) ? "с сервера IEEE" : "из «" + ShownLocation(origin) + "»";
  return "загрузка списков OUI " + from + " в «" + std::string(destination) +
         "» и рядом";
}

std::string ConfirmUpdate(const Origin& origin) {
  if (IsIeee(origin)) return std::string(kConfirmUpdate);
  return "Загрузить списки производителей из «" + ShownLocation(origin) +
         "»?\n\n" + std::string(kConfirmUpdate);
}

std::string OriginLine(const OriginSetting& setting) {
  if (IsIeee(setting.origin)) return {};
  std::string line = "Обновления загружаются из: " + OriginName(setting.origin);
  if (!setting.where.empty()) line += " (задано в " + setting.where + ")";
  return line;
}

std::string NamesFileProblemText(const NamesFileProblem& problem) {
  const std::string why = problem.why.kind == ReadFailure::Kind::kTooLarge
                              ? "файл больше " +
                                    std::to_string(kMaxNamesBytes >> 20) +
                                    " МБ — это не файл имён"
                              : ReadFailureText(problem.why);
  return "файл имён «" + problem.path + "» пропущен: " + why;
}

std::string SkippedSettingText(const SkippedSetting& skipped) {
  std::string why;
  switch (skipped.why) {
    case SkippedSetting::Why::kNotAFile:
      why = ReadFailureText({ReadFailure::Kind::kNotAFile, 0});
      break;
    case SkippedSetting::Why::kTooLarge:
      why = "файл больше " + std::to_string(kSettingsFileLimit >> 10) +
            " КБ — это не файл настроек";
      break;
    case SkippedSetting::Why::kUnreadable:
      why = SystemError(skipped.error_number);
      break;
    case SkippedSetting::Why::kChanging:
      why = "файл всё время меняется";
      break;
    case SkippedSetting::Why::kNotAString:
      why = "это не строка (REG_SZ)";
      break;
    case SkippedSetting::Why::kNoOrigin:
      why = "в имени папки нулевой знак (%00)";
      break;
    case SkippedSetting::Why::kTooLong:
      why =
          "строка длиннее " + std::to_string(kRegistryOriginLimit) + " знаков";
      break;
  }
  return "настройка «" +
         ShownLocation(Origin{Origin::Kind::kFolder, skipped.where}) +
         "» пропущена: " + why;
}

std::string UpdatedListing(std::string_view destination, std::size_t records) {
  return "база «" + std::string(destination) +
         "» обновлена, записей в ней: " + std::to_string(records);
}

std::string KeptLine(const KeptListing& kept) {
  return (kept.existed ? "прежним оставлен " : "не получен ") + KeptText(kept);
}

std::string CannotReadInput(std::string_view name, int error) {
  const std::string shown =
      name == "-" ? std::string("стандартный ввод") : std::string(name);
  return "не удалось прочитать «" + shown + "»: " + SystemError(error);
}

std::string CannotWriteOutput(int error) {
  return "не удалось вывести результат: " + SystemError(error);
}

std::string LowerFirst(std::string sentence) {
  if (sentence.empty()) return sentence;
  auto& c0 = reinterpret_cast<unsigned char&>(sentence[0]);
  if (c0 >= 'A' && c0 <= 'Z') {
    sentence[0] = shapes::Lower(sentence[0]);
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

}  // namespace venmark::text
