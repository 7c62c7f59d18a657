#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "windows/fake_dialogs.h"
#include "windows/fitted_text.h"
#include "windows/main_window.h"

namespace venmark {
namespace {

constexpr char kListing[] =
    "OUI/MA-L                                                    "
    "Organization\r\n"
    "00-1A-2B   (hex)\t\tExample Networks\r\n"
    "001A2B     (base 16)\t\tExample Networks\r\n"
    "00-50-56   (hex)\t\tVMware, Inc.\r\n";

struct Control {
  const char* name;
  QRect geometry;
  QString caption;
};

}  // namespace

class WindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    database_ = dir_.filePath("base.dat");
    WriteDatabase(kListing);
    dialogs_ = std::make_unique<FakeDialogs>();
    window_ = std::make_unique<MainWindow>(
        dialogs_.get(), MainWindowFiles{.database = database_});
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  void cleanup() {
    window_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  void MainWindowHasTheLaidOutControls() {
    QCOMPARE(window_->objectName(), QStringLiteral("Form1"));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Venmark"));
    QCOMPARE(window_->size(), QSize(779, 481));
    QCOMPARE(window_->minimumSize(), window_->maximumSize());
    const Control controls[] = {
        {"Text1", {16, 40, 745, 377}, ""},
        {"Command1", {328, 432, 129, 41}, "Поиск"},
        {"Label2",
         {16, 16, 329, 17},
         "Введите любой текст, где фигурируют MACи в любом формате:"},
        {"Command2", {688, 432, 73, 41}, "Выход"},
        {"Label1", {8, 448, 281, 33}, ""},
        {"Command3",
         {568, 432, 105, 41},
         "Обновить базу MAC-адресов с сервера IEEE"},
    };
    CheckControls(window_.get(), controls);
    QVERIFY(Input()->toPlainText().isEmpty());
    QVERIFY(Find<QLabel>("Label1")->text().contains("IEEE"));
    for (const char* name : {"Command1", "Command2", "Command3"}) {
      const auto* button = Find<QPushButton>(name);
      QVERIFY2(!button->isDefault() && !button->autoDefault(), name);
    }
  }

  void CaptionsFitTheirControls() {
    for (const char* name : {"Command1", "Command2"}) {
      const auto* button = Find<QPushButton>(name);
      QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) <
                   button->width() - 8,
               name);
    }
    const auto* update = Find<WrappingButton>("Command3");
    const QRect caption = update->CaptionRect();
    const QRect needed = update->fontMetrics().boundingRect(
        caption, Qt::AlignCenter | Qt::TextWordWrap, update->text());
    QVERIFY2(caption.contains(needed), qPrintable(QStringLiteral("needs %1x%2")
                                                      .arg(needed.width())
                                                      .arg(needed.height())));
    for (const char* name : {"Label2", "Label1"}) {
      const auto* label = Find<QLabel>(name);
      const QRect needed_by_label = label->fontMetrics().boundingRect(
          label->rect(),
          label->wordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine,
          label->text());
      QVERIFY2(needed_by_label.width() <= label->width() &&
                   needed_by_label.height() <= label->height(),
               name);
    }
  }

  void TabOrderFollowsTheTable() {
    const QStringList controls{"Text1",    "Command1", "Label2",
                               "Command2", "Label1",   "Command3"};
    QStringList order;
    QWidget* widget = Find<QWidget>("Text1");
    do {
      if (controls.contains(widget->objectName())) {
        order.append(widget->objectName());
      }
      widget = widget->nextInFocusChain();
    } while (widget != Find<QWidget>("Text1"));
    QCOMPARE(order, (QStringList{"Text1", "Command1", "Label2", "Command2",
                                 "Label1", "Command3"}));
  }

  void StartsWithoutAResultsWindowOrOpeningTheDatabase() {
    QVERIFY(window_->results_window() == nullptr);
    QVERIFY(QFile::remove(database_));  // not needed until a search
    QVERIFY(dialogs_->errors.isEmpty());
  }

  void ResultsWindowHasTheLaidOutControls() {
    window_->move(0, 0);
    Search("");
    ResultsWindow* results = window_->results_window();
    QVERIFY(results != nullptr);
    QCOMPARE(results->objectName(), QStringLiteral("Form2"));
    QCOMPARE(results->windowTitle(), QStringLiteral("Результаты поиска"));
    QCOMPARE(results->size(), QSize(407, 501));
    QVERIFY(results->isWindow());
    QVERIFY(results->parentWidget() == nullptr);
    QVERIFY(!results->isModal());
    const Control controls[] = {
        {"Frame1", {8, 8, 393, 481}, "Таблица соответствий"},
        {"Text1", {8, 16, 377, 457}, ""},
    };
    CheckControls(results, controls);
    QCOMPARE(results->findChild<QPlainTextEdit*>("Text1")->parentWidget(),
             results->findChild<QGroupBox*>("Frame1"));
    // Beside the main window where the screen has room, else on the screen.
    const QRect screen = window_->screen()->availableGeometry();
    if (screen.width() >= window_->width() + results->width() + 40) {
      QVERIFY(results->frameGeometry().left() >
              window_->frameGeometry().right());
    }
    QVERIFY(screen.contains(results->geometry()));
  }

  void SearchFillsAndShowsTheResultsWindow() {
    Search(
        "Physical Address. . . : 00-1A-2B-3C-4D-5A\n"
        "link/ether 00:50:56:aa:bb:cc brd ff:ff:ff:ff:ff:ff\n"
        "-------------------------------------------\n"
        " 100    001a.2b3c.4d5e    DYNAMIC     Gi1/0/1\n");
    ResultsWindow* results = window_->results_window();
    QVERIFY(results != nullptr);
    QVERIFY(results->isVisible());
    QCOMPARE(results->Text(),
             QStringLiteral("00-1A-2B-3C-4D-5A - Example Networks\n"
                            "00:50:56:aa:bb:cc - VMware, Inc.\n"
                            "ff:ff:ff:ff:ff:ff - производитель не определен "
                            "(широковещательный адрес)\n"
                            "001a.2b3c.4d5e - Example Networks\n"));
    QVERIFY(dialogs_->errors.isEmpty());
  }

  void SearchesAccumulateWhileTheWindowStaysOpen() {
    Search("00-1a-2b-00-00-01");
    Search("00:50:56:00:00:02");
    QCOMPARE(window_->results_window()->Text(),
             QStringLiteral("00-1a-2b-00-00-01 - Example Networks\n"
                            "00:50:56:00:00:02 - VMware, Inc.\n"));
  }

  void ClosingTheResultsWindowStartsAFreshOne() {
    Search("00-1a-2b-00-00-01");
    window_->results_window()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(window_->results_window() == nullptr);
    Search("00:50:56:00:00:02");
    QCOMPARE(window_->results_window()->Text(),
             QStringLiteral("00:50:56:00:00:02 - VMware, Inc.\n"));
  }

  void SearchWithoutMacsShowsAnEmptyResultsWindow() {
    // Nothing to look up, so not even a missing database stands in the way.
    QVERIFY(QFile::remove(database_));
    for (const QString& text : {QString(), QStringLiteral("10.0.0.1 ----")}) {
      Search(text);
      QVERIFY(window_->results_window() != nullptr);
      QVERIFY(window_->results_window()->isVisible());
      QCOMPARE(window_->results_window()->Text(), QString());
    }
    QVERIFY(dialogs_->errors.isEmpty());
  }

  void TextTypedIntoTheResultsKeepsItsLine() {
    Search("00-1a-2b-00-00-01");
    auto* box = window_->results_window()->findChild<QPlainTextEdit*>("Text1");
    box->moveCursor(QTextCursor::End);
    QTest::keyClicks(box, "note");
    Search("00:50:56:00:00:02");
    QCOMPARE(window_->results_window()->Text(),
             QStringLiteral("00-1a-2b-00-00-01 - Example Networks\n"
                            "note\n"
                            "00:50:56:00:00:02 - VMware, Inc.\n"));
  }

  void TypedLineBreaksArriveWhicheverKeyCarriesThem() {
    QPlainTextEdit* box = Input();
    box->setFocus();
    QTest::keyClicks(box, "a");
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClicks(box, "b");
    // X input tools type a line break as the Linefeed keysym.
    QKeyEvent linefeed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, 0,
                       0xff0a, 0, QStringLiteral("\n"));
    QCoreApplication::sendEvent(box, &linefeed);
    QTest::keyClicks(box, "c");
    QCOMPARE(box->toPlainText(), QStringLiteral("a\nb\nc"));
  }

  void MissingDatabaseIsReportedAndTheProgramLivesOn() {
    Search("00-1a-2b-00-00-01");
    QVERIFY(QFile::remove(database_));
    Search("00:50:56:00:00:02");
    QCOMPARE(dialogs_->errors.size(), 1);
    const QString& error = dialogs_->errors.first();
    QVERIFY2(error.contains(database_) && error.contains("файл не найден") &&
                 error.contains("«Обновить базу MAC-адресов с сервера IEEE»"),
             qPrintable(error));
    // The earlier results stay as they were; the next search works again.
    QCOMPARE(window_->results_window()->Text(),
             QStringLiteral("00-1a-2b-00-00-01 - Example Networks\n"));
    WriteDatabase(kListing);
    Search("00:50:56:00:00:03");
    QCOMPARE(window_->results_window()->Text(),
             QStringLiteral("00-1a-2b-00-00-01 - Example Networks\n"
                            "00:50:56:00:00:03 - VMware, Inc.\n"));
  }

  void MissingDatabaseBeforeAnySearchCreatesNoResultsWindow() {
    QVERIFY(QFile::remove(database_));
    Search("00-1a-2b-00-00-01");
    QCOMPARE(dialogs_->errors.size(), 1);
    QVERIFY(window_->results_window() == nullptr);
  }

  void ExitClosesBothWindowsAndQuits() {
    Search("00-1a-2b-00-00-01");
    QPointer<ResultsWindow> results = window_->results_window();
    QTimer::singleShot(0, [this] {
      QTest::mouseClick(Find<QPushButton>("Command2"), Qt::LeftButton);
    });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(results.isNull());
    QVERIFY(!window_->isVisible());
  }

  void ExitBeforeAnySearchQuitsToo() {
    QTimer::singleShot(0, [this] {
      QTest::mouseClick(Find<QPushButton>("Command2"), Qt::LeftButton);
    });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(window_->results_window() == nullptr);
  }

  void ClosingTheMainWindowAloneLeavesTheResultsOpen() {
    Search("00-1a-2b-00-00-01");
    bool results_outlived_main = false;
    QTimer::singleShot(0, [this] { window_->close(); });
    // Still running after the main window has gone: close the last window.
    QTimer::singleShot(200, [&] {
      ResultsWindow* results = window_->results_window();
      results_outlived_main = results != nullptr && results->isVisible();
      if (results != nullptr) results->close();
    });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(results_outlived_main);
  }

 private:
  template <typename T>
  T* Find(const char* name) const {
    T* widget = window_->findChild<T*>(name);
    if (widget == nullptr) qFatal("no control %s", name);
    return widget;
  }

  QPlainTextEdit* Input() const { return Find<QPlainTextEdit>("Text1"); }

  void WriteDatabase(const char* listing) {
    QFile file(database_);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(listing);
  }

  // Types text into the input box and clicks «Поиск».
  void Search(const QString& text) {
    Input()->setPlainText(text);
    QTest::mouseClick(Find<QPushButton>("Command1"), Qt::LeftButton);
  }

  template <std::size_t N>
  void CheckControls(QWidget* window, const Control (&controls)[N]) {
    for (const Control& control : controls) {
      QWidget* widget = window->findChild<QWidget*>(control.name);
      QVERIFY2(widget != nullptr, control.name);
      QCOMPARE(widget->geometry(), control.geometry);
      if (auto* button = qobject_cast<QPushButton*>(widget)) {
        QCOMPARE(button->text(), control.caption);
      } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        if (!control.caption.isEmpty())
          QCOMPARE(label->text(), control.caption);
      } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
        QCOMPARE(frame->title(), control.caption);
      } else if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
        QCOMPARE(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
        QCOMPARE(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QVERIFY(!box->isReadOnly());
      } else {
        QFAIL(control.name);
      }
    }
  }

  QTemporaryDir dir_;
  QString database_;
  std::unique_ptr<FakeDialogs> dialogs_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace venmark

QTEST_MAIN(venmark::WindowsTest)
#include "windows_test.moc"
