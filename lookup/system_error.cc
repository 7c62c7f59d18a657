#include "lookup/system_error.h"

#include <cerrno>
#include <iterator>

namespace venmark {
namespace {

// One wording per error; where writing needs other words than reading,
// the second column has them.
struct Wording {
  int error;
  const char* reading;
  const char* writing;  // null: as reading
};

constexpr Wording kWordings[] = {
    {ENOENT, "файл не найден", "папка не найдена"},
    {EACCES, "нет прав на чтение", "нет прав на запись в папку"},
    {EPERM, "нет прав на чтение", "нет прав на запись в папку"},
    {EISDIR, "это папка, а не файл", nullptr},
    {ENOTDIR, "неверный путь к файлу", nullptr},
    {ENOSPC, "на диске нет места", nullptr},
    {EFBIG, "файл слишком велик", nullptr},
    {EIO, "ошибка ввода-вывода", nullptr},
    {ENOMEM, "не хватает памяти", nullptr},
    {EROFS, "диск доступен только для чтения", nullptr},
    {ENAMETOOLONG, "слишком длинное имя файла", nullptr},
    {ELOOP, "в пути слишком много символических ссылок", nullptr},
    {EMLINK, "у папки слишком много ссылок", nullptr},
    {EBUSY, "файл занят другой программой", nullptr},
    {ETXTBSY, "файл занят другой программой", nullptr},
    {EEXIST, "файл уже существует", nullptr},
    {EINVAL, "недопустимое имя или операция", nullptr},
    {EMFILE, "открыто слишком много файлов", nullptr},
    {ENFILE, "открыто слишком много файлов", nullptr},
    {EPIPE, "получатель вывода закрыт", nullptr},
    {EXDEV, "файлы на разных дисках", nullptr},
    {EAGAIN, "ресурс временно недоступен", nullptr},
    {EINTR, "операция прервана", nullptr},
    {EBADF, "поток закрыт", nullptr},
    {ENXIO, "устройство недоступно", nullptr},
    {ENODEV, "устройство недоступно", nullptr},
#ifdef EDQUOT
    {EDQUOT, "превышена дисковая квота", nullptr},
#endif
};

std::string Describe(int error, bool writing) {
  for (const Wording& wording : kWordings) {
    if (wording.error == error) {
      return writing && wording.writing != nullptr ? wording.writing
                                                   : wording.reading;
    }
  }
  // Never the C library's English: the number lets a user look it up.
  return "системная ошибка " + std::to_string(error);
}

}  // namespace

std::string DescribeSystemError(int error) { return Describe(error, false); }

std::string DescribeWriteError(int error) { return Describe(error, true); }

}  // namespace venmark
