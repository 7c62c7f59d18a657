#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

#include "windows/main_window.h"
#include "windows/message_box_dialogs.h"

namespace {

// Whether Qt has a screen to open windows on: a platform named outright
// (offscreen, vnc...), or an X11 or Wayland display.
bool HaveDisplay() {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return true;
  }
  return false;
}

void Print(std::FILE* stream, const QString& text) {
  const QByteArray bytes = text.toLocal8Bit();
  std::fwrite(bytes.data(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication::setApplicationName(QStringLiteral("Venmark"));
  QApplication::setApplicationVersion(QStringLiteral(VENMARK_VERSION));

  // The options are read before anything opens the display, so --help and
  // --version work on a console without one.
  QStringList arguments;
  for (int i = 0; i < argc; ++i)
    arguments.append(QString::fromLocal8Bit(argv[i]));
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Venmark — производители сетевых устройств по MAC-адресам.\n"
      "Вставьте в окно любой текст с MAC-адресами и нажмите «Поиск».\n"
      "Для поиска из командной строки есть venmark-scan."));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Показать эту справку."));
  const QCommandLineOption version(QStringLiteral("version"),
                                   QStringLiteral("Показать версию."));
  parser.addOption(help);
  parser.addOption(version);
  if (!parser.parse(arguments)) {
    const QStringList unknown = parser.unknownOptionNames();
    Print(stderr,
          QStringLiteral("venmark: ") +
              (unknown.isEmpty() ? parser.errorText()
                                 : QStringLiteral("неизвестный параметр «%1»")
                                       .arg(unknown.first())) +
              QStringLiteral("\nСправка: venmark --help\n"));
    return 1;
  }
  if (parser.isSet(help)) {
    // Qt writes these few words in English whatever the translation.
    Print(
        stdout,
        parser.helpText()
            .replace(QStringLiteral("Usage:"), QStringLiteral("Использование:"))
            .replace(QStringLiteral("<executable_name>"),
                     QStringLiteral("venmark"))
            .replace(QStringLiteral("[options]"), QStringLiteral("[параметры]"))
            .replace(QStringLiteral("Options:"), QStringLiteral("Параметры:")));
    return 0;
  }
  if (parser.isSet(version)) {
    Print(stdout, QStringLiteral("venmark " VENMARK_VERSION "\n"));
    return 0;
  }
  if (!HaveDisplay()) {
    Print(stderr, QStringLiteral(
                      "venmark: нет графического дисплея (не заданы DISPLAY и "
                      "WAYLAND_DISPLAY), окно открыть нельзя.\nДля поиска из "
                      "командной строки есть venmark-scan.\n"));
    return 1;
  }

  QApplication app(argc, argv);
  QApplication::setDesktopFileName(QStringLiteral(VENMARK_APP_ID));

  // The interface is Russian whatever the system's language, Qt's own
  // buttons ("OK", "Cancel") included.
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  QTranslator qt_russian;
  if (qt_russian.load(QStringLiteral("qtbase_ru"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qt_russian);
  }

  // Every size the build put into the resources; QIcon reads each size.
  QIcon icon;
  for (const QString& name : QDir(QStringLiteral(":/icons")).entryList()) {
    icon.addFile(QStringLiteral(":/icons/") + name);
  }
  QApplication::setWindowIcon(icon);

  venmark::MessageBoxDialogs dialogs;
  venmark::MainWindow window(&dialogs);
  dialogs.set_parent(&window);
  window.show();
  return QApplication::exec();
}
