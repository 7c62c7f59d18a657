#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/listing_age.h"
#include "app/result_format.h"
#include "listings/problem.h"
#include "update/listing_update.h"
#include "update/settings.h"

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

// How far an update has come: "Получено 2,1 из 6,3 МБ — список MA-L (1 из
// 4)", without "из 6,3" while the size is not known.
std::string StepText(const UpdateStep& step);

// The progress window's text: what is fetched (from the IEEE, or from the
// origin the question named), and how much has arrived.
std::string ProgressText(const UpdateStep& step, const Origin& origin = {});

// The share of the whole update done at step (0 to 1), or -1 while the
// listing's size is not known; a listing that is over is done, whether it
// arrived or failed.
double StepDone(const UpdateStep& step);

// error (a sentence without its full stop), then how to get a listing.
std::string WithUpdateHint(std::string_view error);

// The words of the result lines.
const ResultWords& ResultLineWords();

// errno value error met while reading a file, in words ("файл не найден").
std::string SystemError(int error);

// The same for making, writing or replacing a file, in words that say what
// to do about it ("нет прав на запись в папку").
std::string WriteError(int error);

// What a listing is called in messages: "базу производителей" for MA-L,
// "список MA-S" for a companion.
std::string ListingTitle(ListingKind kind);

// Why a file is no listing ("в файле нет ни одной записи OUI").
std::string ReadFailureText(const ReadFailure& why);

// "Не удалось прочитать базу производителей «…»: файл не найден".
std::string CannotRead(const ListingProblem& problem);

// The message for a search that found no listing, naming the places.
std::string NoListing(const std::vector<std::string>& places);

// failure on the way to a server, with the transport's detail in brackets.
std::string NetworkFailureText(NetworkFailure failure, std::string_view detail);

// What failed in an update, as a phrase ("сервер ответил HTTP 404").
std::string UpdateProblemText(const UpdateProblem& problem);

// The sentence that tells an update failed: "Не удалось обновить базу: …".
std::string UpdateFailed(const UpdateProblem& problem);

// A companion that kept its old file: "список MA-S «…»: сервер ответил …".
std::string KeptText(const KeptListing& kept);

// What the windows tell when an update ends: the completion text with the
// companions that kept their old files, or the failure; empty when the
// user cancelled.
std::string UpdateCompletion(const UpdateResult& result);

// The command lines' help and messages.

inline constexpr std::string_view kScanUsage =
    "Использование: venmark-scan [--db ФАЙЛ] [--format ВИД] [ФАЙЛ...]\n"
    "               venmark-scan [--db ФАЙЛ] --update [--from ПАПКА|АДРЕС]\n"
    "               venmark-scan [--db ФАЙЛ] --version\n"
    "\n"
    "Находит в тексте MAC-адреса (00-1a-2b-3c-4d-5e, 00:1a:2b:3c:4d:5e,\n"
    "001a.2b3c.4d5e, 001a-2b3c-4d5e, 0:1d:aa:8f:23:ed, 001e49-7a33c1,\n"
    "Hex-STRING: 00 1A 2B 3C 4D 5E, 0100.1a2b.3c4d.5e,\n"
    "3C\\:52\\:82\\:1A\\:2B\\:3C, F8%3AE4%3AE3%3AA1%3AB2%3AC3, а после "
    "подписи\n"
    "MAC — и 001A2B3C4D5E, 0x001A2B3C4D5E, 44 19 b6 3a 7c 01; в списке\n"
    "интерфейсов route print — 12...00 50 56 b9 c5 4b), а также MAC\n"
    "внутри IPv6-адресов (fe80::21d:aaff:fe61:83c), DUID DHCPv6\n"
    "(00-01-00-01-2B-8C-1D-4E-90-61-AE-3D-5C-1F,\n"
    "0:1:0:1:2b:8c:1d:4e:90:61:ae:3d:5c:1f,\n"
    "00:01:00:01:2b:8c:1d:4e:90:61:ae:3d:5c:1f, "
    "00:03:00:01:90:61:ae:3d:5c:1f,\n"
    "00-03-00-01-90-61-AE-3D-5C-1F, после подписи DUID —\n"
    "000100012B8C1D4E9061AE3D5C1F, 000300019061ae3d5c1f) и идентификаторов\n"
    "клиента DHCP (01:90:61:ae:3d:5c:1f, 01-90-61-ae-3d-5c-1f, после подписи\n"
    "client-id — 019061ae3d5c1f), и называет производителя каждого по\n"
    "спискам IEEE: MA-L и, если они лежат рядом, MA-M, MA-S, IAB и CID\n"
    "(CID называет компанию для локально администрируемых адресов).\n"
    "Подписи MAC: mac, мак, Мак, МАК, МАС (кириллицей или вперемешку),\n"
    "physical address, permanent address, permanentaddress, hardware\n"
    "address, hwaddr, networkaddress, network address, station address,\n"
    "user-name, chaddr, calling-station-id, called-station-id,\n"
    "user-password, unique id, bssid, link-layer address, lladdr, hardware\n"
    "ethernet, ethernet address, burned-in address, физический адрес,\n"
    "Физический адрес, ФИЗИЧЕСКИЙ АДРЕС, физ. адрес, Физ. адрес, ФИЗ. АДРЕС;\n"
    "подписи DUID: duid, dhcp6_client_id, dhcp6.client-id, server_id,\n"
    "dhcp6.server-id; подписи client-id: client-id, client id, clientid,\n"
    "client_id, идентификатор клиента, Идентификатор клиента.\n"
    "Каждый ФАЙЛ просматривается отдельно, по порядку; без ФАЙЛОВ и для «-»\n"
    "читается стандартный ввод (UTF-8 или UTF-16 с меткой порядка байтов;\n"
    "текст не в UTF-8 читается как Windows-1251 или, если его байты похожи\n"
    "на вывод cmd.exe, как CP866).\n"
    "Строки результата выводятся в стандартный вывод в кодировке UTF-8.\n"
    "\n"
    "Без --db список MA-L ищется по порядку: base.dat в текущей папке,\n"
    "$XDG_DATA_HOME/venmark/base.dat (~/.local/share/venmark/base.dat),\n"
    "/usr/share/ieee-data/oui.txt.\n"
    "\n"
    "Параметры:\n"
    "  --db ФАЙЛ     список MA-L (и списки рядом с ним)\n"
    "  --format ВИД  text (по умолчанию): «MAC - производитель»;\n"
    "                tsv: MAC как записан, блок, производитель, примечание,\n"
    "                MAC (address), номер строки через табуляцию;\n"
    "                json: по объекту JSON в строке с полями mac, assignment,\n"
    "                vendor, note, address, line и, для MAC внутри другого\n"
    "                идентификатора, derived_from (ipv6, duid, client-id)\n"
    "  --update      загрузить свежие списки с сервера IEEE (HTTPS) и "
    "заменить\n"
    "                ими прежние; ход загрузки и ошибки выводятся в stderr\n"
    "  --from ОТКУДА с --update: загрузить один раз из папки (её раскладка\n"
    "                как у IEEE или файлы oui.txt, mam.txt, oui36.txt,\n"
    "                iab.txt, cid.txt рядом), file://-адреса или с зеркала\n"
    "                http(s)://, не меняя настроек\n"
    "\n"
    "Откуда загружать обновления, задаётся один раз: переменной\n"
    "VENMARK_IEEE_ORIGIN, строкой origin= в "
    "$XDG_CONFIG_HOME/venmark/venmark.conf\n"
    "(~/.config/venmark/venmark.conf) или в /etc/xdg/venmark/venmark.conf —\n"
    "первое найденное; иначе с сервера IEEE.\n"
    "  --version     версия программы и списки, по которым идёт поиск\n"
    "  --list-kinds  виды списков IEEE по строке через табуляцию: вид, путь\n"
    "                у IEEE, имя в ieee-data Debian (или -), имя рядом с\n"
    "                base.dat, required или optional\n"
    "  --help        показать эту справку\n"
    "\n"
    "Код завершения: 0 — поиск или обновление выполнены; 1 — ошибка в\n"
    "параметрах, входной файл не читается или результат не записывается;\n"
    "2 — не читается список производителей; 3 — обновить списки не удалось;\n"
    "128 + номер сигнала — обновление прервано (130 — Ctrl+C, 143 — "
    "SIGTERM).\n";

// The windows' program's --help.
inline constexpr std::string_view kGuiUsage =
    "Использование: venmark [--db ФАЙЛ]\n"
    "\n"
    "Venmark — производители сетевых устройств по MAC-адресам.\n"
    "Вставьте в окно любой текст с MAC-адресами и нажмите «Поиск».\n"
    "Для поиска из командной строки есть venmark-scan.\n"
    "\n"
    "Параметры:\n"
    "  --db ФАЙЛ   искать по списку MA-L ФАЙЛ (и спискам рядом с ним) и\n"
    "              обновлять его\n"
    "  --version   показать версию\n"
    "  --help      показать эту справку\n";

// Follows a usage error: where the help is.
inline constexpr std::string_view kScanHelpHint =
    "Справка: venmark-scan --help";
inline constexpr std::string_view kGuiHelpHint = "Справка: venmark --help";

// What is wrong with a command line.
enum class Usage {
  kDbWithoutFile,      // --db without a file
  kFromWithoutOrigin,  // --from without a folder or URL
  kFromWithoutUpdate,  // --from without --update
  kFromNoFolder,       // --from arg that can name no folder (a %00 in it)
  kBadFormat,          // --format with a value it does not take
  kUnknownOption,      // arg is no option the program knows
  kUpdateWithInputs,   // --update with input files
};
std::string UsageProblem(Usage problem, std::string_view arg);

// --version's heading over the listings in use, and one line a listing:
// its IEEE name, path, records and day.
inline constexpr std::string_view kListingsHeading = "Списки производителей:";
std::string ListingLine(std::string_view name, std::string_view path,
                        std::size_t records, std::string_view day);

// Where an origin is, as shown: a password in a mirror's address as ***,
// control characters as \xNN.
std::string ShownLocation(const Origin& origin);

// What venmark-scan --update tells as it goes.
std::string UpdateStarting(std::string_view destination, const Origin& origin);

// Where updates come from, as the user reads it: "сервер IEEE", a URL, or
// a folder, each in quotes but the IEEE.
std::string OriginName(const Origin& origin);

// The main window's question before an update: the usual one from the
// IEEE, naming the origin otherwise.
std::string ConfirmUpdate(const Origin& origin);

// A line of a names file that names nothing: its file and number.
std::string BadNameLineText(const BadNameLine& bad);

// --version's line of a names file read, with how many names it gave.
std::string NamesFileLine(std::string_view path, std::size_t names);

// --version's line saying where updates come from and where that was set,
// or nothing for the IEEE.
std::string OriginLine(const OriginSetting& setting);

// A names file passed over, and why: "файл имён «…» пропущен: …".
std::string NamesFileProblemText(const NamesFileProblem& problem);

// A setting passed over, and why: "настройка «…» пропущена: …".
std::string SkippedSettingText(const SkippedSetting& skipped);
std::string UpdatedListing(std::string_view destination, std::size_t records);
std::string KeptLine(const KeptListing& kept);
inline constexpr std::string_view kUpdateCancelled =
    "обновление прервано, база оставлена прежней";

// An input that cannot be read ("-": standard input), and output that
// cannot be written.
std::string CannotReadInput(std::string_view name, int error);
std::string CannotWriteOutput(int error);

// sentence with its first letter, Latin or Cyrillic, in lower case: a
// console program's messages follow its name and a colon.
std::string LowerFirst(std::string sentence);

}  // namespace venmark::text
