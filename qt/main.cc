#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/main_presenter.h"
#include "app/texts.h"
#include "app/version.h"
#include "qt/main_window.h"
#include "qt/message_box_dialogs.h"

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

}  // namespace

int main(int argc, char** argv) {
  QApplication::setApplicationName(QStringLiteral("Venmark"));
  QApplication::setApplicationVersion(QString::fromLatin1(venmark::kVersion));

  // The options are read before anything opens the display, so --help and
  // --version work on a console without one.
  const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
  const venmark::GuiStart start = venmark::DecideGuiStart(args, HaveDisplay());
  if (start.action != venmark::GuiStart::Action::kRun) {
    std::FILE* stream =
        start.action == venmark::GuiStart::Action::kPrint ? stdout : stderr;
    std::fwrite(start.text.data(), 1, start.text.size(), stream);
    return start.action == venmark::GuiStart::Action::kPrint ? 0 : 1;
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
  venmark::MainWindow window(&dialogs,
                             {.listing = start.listing, .sources = {}});
  dialogs.set_parent(&window);
  window.show();
  return QApplication::exec();
}
