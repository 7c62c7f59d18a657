#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/listing_age.h"

// Every caption and message the windows show, written once for every
// frontend (UTF-8).
namespace venmark::text {

inline constexpr std::string_view kAppTitle = "Venmark";
inline constexpr std::string_view kSearch = "Поиск";
inline constexpr std::string_view kExit = "Выход";
inline constexpr std::string_view kUpdate =
    "Обновить базу MAC-адресов с сервера IEEE";
inline constexpr std::string_view kPrompt =
    "Введите любой текст, где фигурируют MACи в любом формате:";
inline constexpr std::string_view kResultsTitle = "Результаты поиска";
inline constexpr std::string_view kResultsFrame = "Таблица соответствий";

inline constexpr std::string_view kConfirmUpdate =
    "Процесс может занять две-три минуты, программа может сделать вид, что "
    "висит, подождите вывода сообщения о завершении";
inline constexpr std::string_view kUpdateFinished = "Синхронизация завершена";
inline constexpr std::string_view kProgressLabel =
    "Загрузка списков производителей с сервера IEEE…";
inline constexpr std::string_view kCancel = "Отмена";
// The progress window's title, told apart from the message boxes'.
inline constexpr std::string_view kProgressTitle = "Venmark — загрузка";

// What the windows' programs say on a console.
inline constexpr std::string_view kGuiDescription =
    "Venmark — производители сетевых устройств по MAC-адресам.\n"
    "Вставьте в окно любой текст с MAC-адресами и нажмите «Поиск».\n"
    "Для поиска из командной строки есть venmark-scan.";
inline constexpr std::string_view kNoDisplay =
    "venmark: нет графического дисплея (не заданы DISPLAY и "
    "WAYLAND_DISPLAY), окно открыть нельзя.\nДля поиска из командной строки "
    "есть venmark-scan.";

// The credits line of the main window: the version, and where the data
// comes from with the day of the listing in use ("IEEE, 27.08.2022"), or
// that there is none.
std::string Credits(const ListingAge& age);

// What the credits line's tooltip says: where the listing is and, when it
// is old, how to update it.
std::string AgeTooltip(const ListingAge& age);

// "850 КБ", "5,2 МБ": a size as a Russian reader writes it.
std::string FormatBytes(std::int64_t bytes);

// The progress of an update: how much has arrived, in FormatBytes.
std::string Received(std::int64_t bytes);

// error (a sentence without its full stop), then how to get a listing.
std::string WithUpdateHint(std::string_view error);

}  // namespace venmark::text
