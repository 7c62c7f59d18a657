#include "app/texts.h"

#include <algorithm>

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

namespace {

constexpr std::int64_t kMiB = 1024 * 1024;

// bytes in megabytes with one decimal and a decimal comma, or in whole
// kilobytes, rounded up, without the unit.
std::string Amount(std::int64_t bytes, bool megabytes) {
  if (!megabytes) return std::to_string((bytes + 1023) / 1024);
  const std::int64_t tenths = (bytes * 10 + kMiB / 2) / kMiB;
  return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10);
}

std::string_view Unit(bool megabytes) { return megabytes ? " МБ" : " КБ"; }

}  // namespace

std::string FormatBytes(std::int64_t bytes) {
  const bool megabytes = bytes >= kMiB;
  return Amount(bytes, megabytes) + std::string(Unit(megabytes));
}

std::string StepText(const UpdateStep& step) {
  std::string text = "Получено ";
  if (step.total >= 0) {
    // Both in the unit of the whole: "0,4 из 6,3 МБ".
    const bool megabytes = step.total >= kMiB;
    text += Amount(step.received, megabytes) + " из " +
            Amount(step.total, megabytes) + std::string(Unit(megabytes));
  } else {
    text += FormatBytes(step.received);
  }
  return text + " — список " + std::string(KindName(step.kind)) + " (" +
         std::to_string(step.listing + 1) + " из " +
         std::to_string(std::max(step.listings, step.listing + 1)) + ")";
}

std::string ProgressText(const UpdateStep& step, const Origin& origin) {
  // Another origin was named by the question before; a path or URL of any
  // length would not fit the window's line.
  const std::string_view label =
      IsIeee(origin) ? kProgressLabel : "Загрузка списков производителей…";
  return std::string(label) + "\n" + StepText(step);
}

double StepDone(const UpdateStep& step) {
  if (step.listings == 0 || (!step.over && step.total <= 0)) return -1;
  const double part = step.over
                          ? 1.0
                          : std::min(1.0, static_cast<double>(step.received) /
                                              static_cast<double>(step.total));
  return std::min(1.0, (static_cast<double>(step.listing) + part) /
                           static_cast<double>(step.listings));
}

std::string WithUpdateHint(std::string_view error) {
  return std::string(error) + ".\n\nЧтобы загрузить базу с сервера IEEE, " +
         "нажмите «" + std::string(kUpdate) + "».";
}

}  // namespace venmark::text
