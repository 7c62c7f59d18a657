#include "app/texts.h"

#include "app/version.h"

namespace venmark::text {

std::string Credits(const ListingAge& age) {
  return "Venmark " + std::string(kVersion) +
         " © 2026, venmark.org\nДанные о производителях: " +
         (age.path.empty() ? std::string("нет базы") : "IEEE, " + age.day);
}

std::string AgeTooltip(const ListingAge& age) {
  if (age.path.empty()) {
    return "Список производителей не найден. Чтобы загрузить его, нажмите "
           "«" +
           std::string(kUpdate) + "».";
  }
  std::string tip = "Список производителей: " + age.path + ", от " + age.day;
  if (age.old) {
    tip +=
        ".\nЕму больше года: новые устройства в нём не названы. Чтобы "
        "загрузить свежий, нажмите «" +
        std::string(kUpdate) + "».";
  }
  return tip;
}

std::string FormatBytes(std::int64_t bytes) {
  constexpr std::int64_t kMiB = 1024 * 1024;
  if (bytes < kMiB) return std::to_string((bytes + 1023) / 1024) + " КБ";
  // One decimal, rounded, with a decimal comma.
  const std::int64_t tenths = (bytes * 10 + kMiB / 2) / kMiB;
  return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) +
         " МБ";
}

std::string Received(std::int64_t bytes) {
  return "Получено " + FormatBytes(bytes);
}

std::string ProgressText(std::int64_t received) {
  return std::string(kProgressLabel) + "\n" + Received(received);
}

std::string WithUpdateHint(std::string_view error) {
  return std::string(error) + ".\n\nЧтобы загрузить базу с сервера IEEE, " +
         "нажмите «" + std::string(kUpdate) + "».";
}

}  // namespace venmark::text
