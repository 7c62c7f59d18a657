#include <sys/inotify.h>
#include <unistd.h>

#include <QAccessible>
#include <QApplication>
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "qt/main_window.h"
#include "qt/message_box_dialogs.h"
#include "qt/qt_fonts.h"
#include "testing/fake_dialogs.h"

namespace venmark {
namespace {

constexpr char kListing[] =
    "OUI/MA-L                                                    "
    "Organization\r\n"
    "00-1A-2B   (hex)\t\tExample Networks\r\n"
    "001A2B     (base 16)\t\tExample Networks\r\n"
    "00-50-56   (hex)\t\tVMware, Inc.\r\n";

}  // namespace

class WindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    listing_ = dir_.filePath("base.dat");
    WriteListing(kListing);
    dialogs_ = std::make_unique<FakeDialogs>();
    window_ = std::make_unique<MainWindow>(
        dialogs_.get(), MainPresenter::Settings{
                            .listing = listing_.toStdString(), .sources = {}});
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
    QCOMPARE(window_->minimumSize(), window_->maximumSize());
    CheckControls(window_.get(), MainFormLayout());
    QVERIFY(Input()->toPlainText().isEmpty());
    QVERIFY(Find<QLabel>("Label1")->text().contains("IEEE"));
    for (const char* name : {"Command1", "Command2", "Command3"}) {
      const auto* button = Find<QPushButton>(name);
      QVERIFY2(!button->isDefault() && !button->autoDefault(), name);
    }
    // Drawn flush, kept flush.
    QCOMPARE(Find<QWidget>("Command2")->geometry().right(),
             Input()->geometry().right());
  }

  // At 8, 9 and 11-point desktop fonts, and 9 points at 150 and 200 % (what
  // QT_FONT_DPI=144 or 192 makes of it), every caption shows whole at 8
  // points or more, no word split, and the text boxes are monospaced.
  void CaptionsShowWholeAtEveryFontSize() {
    const QFont saved = QApplication::font();
    for (const qreal points : {8.0, 9.0, 11.0, 13.5, 18.0}) {
      QFont desktop(QStringLiteral("DejaVu Sans"));
      desktop.setPointSizeF(points);
      QApplication::setFont(desktop);
      MainWindow main(dialogs_.get(),
                      MainPresenter::Settings{.listing = listing_.toStdString(),
                                              .sources = {}},
                      QSize(2000, 1500));
      ResultsWindow results;
      const QString at = QStringLiteral("%1 pt").arg(points);
      for (QPushButton* button : main.findChildren<QPushButton*>()) {
        QVERIFY2(button->font().pointSizeF() >= 8.0, qPrintable(at));
        const QRect room = button->rect() - QMargins(4, 2, 4, 2);
        const QFontMetrics metrics = button->fontMetrics();
        const QStringList lines =
            WrapAtSpaces(button->text(), metrics, room.width());
        QVERIFY2(lines.size() * metrics.height() <= room.height(),
                 qPrintable(at + " " + button->objectName()));
        for (const QString& line : lines) {
          QVERIFY2(metrics.horizontalAdvance(line) <= room.width(),
                   qPrintable(at + " " + line));
        }
        QCOMPARE(lines.join(' '), button->text());  // no word split or lost
      }
      for (QLabel* label : main.findChildren<QLabel*>()) {
        QVERIFY2(label->font().pointSizeF() >= 8.0, qPrintable(at));
        const QRect needed = label->fontMetrics().boundingRect(
            label->rect(), Qt::AlignLeft | Qt::AlignTop, label->text());
        QVERIFY2(label->rect().contains(needed),
                 qPrintable(at + " " + label->objectName()));
      }
      auto* frame = results.findChild<QGroupBox*>("Frame1");
      const QFontMetrics title = frame->fontMetrics();
      QVERIFY2(title.height() <= results.findChild<QWidget*>("Text1")->y() &&
                   title.horizontalAdvance(frame->title()) < frame->width(),
               qPrintable(at));
      for (QWidget* window :
           {static_cast<QWidget*>(&main), static_cast<QWidget*>(&results)}) {
        auto* box = window->findChild<QPlainTextEdit*>("Text1");
        QVERIFY2(IsMonospaced(box->font()), qPrintable(at));
        QVERIFY(box->font().pointSizeF() >= 8.0);
      }
    }
    QApplication::setFont(saved);
  }

  // A 1280x1024 screen at 150 % is 853x683: the captions give way, down to
  // 8 points, rather than push the buttons off it.
  void MainWindowFitsASmallScreen() {
    const QFont saved = QApplication::font();
    QFont desktop(QStringLiteral("DejaVu Sans"));
    desktop.setPointSizeF(9);
    QApplication::setFont(desktop);
    const QSize screen(853, 683);
    MainWindow main(dialogs_.get(),
                    MainPresenter::Settings{.listing = listing_.toStdString(),
                                            .sources = {}},
                    screen);
    QApplication::setFont(saved);
    QVERIFY(main.width() + 16 <= screen.width());
    for (QPushButton* button : main.findChildren<QPushButton*>()) {
      QVERIFY(button->font().pointSizeF() >= 8.0);
      const QFontMetrics metrics = button->fontMetrics();
      const QRect room = button->rect() - QMargins(4, 2, 4, 2);
      QVERIFY2(WrapAtSpaces(button->text(), metrics, room.width()).size() *
                       metrics.height() <=
                   room.height(),
               qPrintable(button->objectName()));
    }
    auto* prompt = main.findChild<QLabel*>("Label2");
    QVERIFY(prompt->font().pointSizeF() >= 8.0);
    QVERIFY(prompt->fontMetrics().horizontalAdvance(prompt->text()) <=
            prompt->width());
  }

  // As a screen reader hears them: the input box by its instruction, the
  // results box by its window, the buttons by their captions.
  void ScreenReadersHearEveryControlsName() {
    const auto name = [](QWidget* widget) {
      QAccessibleInterface* face =
          QAccessible::queryAccessibleInterface(widget);
      return face != nullptr ? face->text(QAccessible::Name) : QString();
    };
    QCOMPARE(name(Input()), Find<QLabel>("Label2")->text());
    QCOMPARE(Find<QLabel>("Label2")->buddy(), Input());
    for (const char* button : {"Command1", "Command2", "Command3"}) {
      QCOMPARE(name(Find<QPushButton>(button)),
               Find<QPushButton>(button)->text());
    }
    QVERIFY(name(Find<QLabel>("Label1"))
                .contains("Данные о производителях: IEEE, "));
    Search("00-1a-2b-00-00-01");
    QCOMPARE(name(window_->results_window()->findChild<QWidget*>("Text1")),
             QStringLiteral("Результаты поиска"));
  }

  // The results window opens as drawn and can be enlarged: its frame and
  // box follow its edges, the main window stays as it is.
  void ResultsBoxGrowsWithItsWindow() {
    Search("00-1a-2b-00-00-01");
    ResultsWindow* results = window_->results_window();
    auto* box = results->findChild<QWidget*>("Text1");
    auto* frame = results->findChild<QWidget*>("Frame1");
    const QSize drawn = results->size();
    const QRect box_before = box->geometry();
    const QRect frame_before = frame->geometry();
    QVERIFY(results->maximumSize() != results->minimumSize());
    QCOMPARE(window_->minimumSize(), window_->maximumSize());
    results->resize(drawn + QSize(300, 120));
    QCOMPARE(box->geometry(), box_before.adjusted(0, 0, 300, 120));
    QCOMPARE(frame->geometry(), frame_before.adjusted(0, 0, 300, 120));
  }

  // The credits name the listing's day, as a warning with a hint once it
  // is a year old, and say when there is none.
  void CreditsNameTheListingsDayAndWarnWhenOld() {
    const auto make = [&](const std::string& listing) {
      return std::make_unique<MainWindow>(
          dialogs_.get(),
          MainPresenter::Settings{.listing = listing, .sources = {}});
    };
    const QString today = QDate::currentDate().toString("dd.MM.yyyy");
    auto fresh = make(listing_.toStdString());
    auto* label = fresh->findChild<QLabel*>("Label1");
    QVERIFY2(label->text().endsWith("Данные о производителях: IEEE, " + today),
             qPrintable(label->text()));
    QVERIFY(!label->toolTip().contains("больше года"));

    QFile file(listing_);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime(QDate(2022, 8, 27), QTime(12, 0)),
                             QFileDevice::FileModificationTime));
    file.close();
    auto old = make(listing_.toStdString());
    label = old->findChild<QLabel*>("Label1");
    QCOMPARE(label->textFormat(), Qt::RichText);
    QVERIFY2(label->text().contains("27.08.2022</span>"),
             qPrintable(label->text()));
    QVERIFY(label->toolTip().contains("больше года"));
    // A screen reader reads the line, not its markup.
    QVERIFY(label->accessibleName().endsWith("IEEE, 27.08.2022"));
    QVERIFY(label->toolTip().contains(
        "«Обновить базу MAC-адресов с сервера IEEE»"));

    auto none = make(dir_.filePath("missing.dat").toStdString());
    QVERIFY(none->findChild<QLabel*>("Label1")->text().endsWith(
        "Данные о производителях: нет базы"));
  }

  // A system fixed font without Cyrillic gives way to DejaVu Sans Mono.
  void TextBoxesStayMonospacedWhateverTheSystemOffers() {
    QFont latin_only(QStringLiteral("No Such Latin Only Mono"));
    latin_only.setStyleHint(QFont::SansSerif);
    QVERIFY(IsMonospaced(TextBoxFont(QApplication::font(), latin_only)));
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

  // Keys come to the presenter from the controls: Tab and Shift+Tab leave
  // a text box, Ctrl+A selects its whole text, in either window.
  void TabLeavesTheBoxAndCtrlASelectsItsText() {
    Input()->setPlainText("00-1a-2b-00-00-01\nsecond line");
    Input()->setFocus();
    QTRY_VERIFY(Input()->hasFocus());
    QTest::keyClick(Input(), Qt::Key_Tab);
    QTRY_VERIFY(Find<QWidget>("Command1")->hasFocus());
    Input()->setFocus();
    QTRY_VERIFY(Input()->hasFocus());
    QTest::keyClick(Input(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_VERIFY(Find<QWidget>("Command3")->hasFocus());
    QVERIFY(Input()->toPlainText().count('\t') == 0);
    Input()->moveCursor(QTextCursor::End);
    QTest::keyClick(Input(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(Input()->textCursor().selectedText().size(),
             Input()->toPlainText().size());
    Search("00-1a-2b-00-00-01");
    QPlainTextEdit* results = window_->results_window()->text_box();
    results->moveCursor(QTextCursor::End);
    QTest::keyClick(results, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(results->textCursor().selectedText().size(),
             results->toPlainText().size());
    // The results box is all a Tab reaches in its window: focus stays, and
    // no tab is typed.
    results->activateWindow();
    results->setFocus();
    QTRY_VERIFY(results->hasFocus());
    const QString before = results->toPlainText();
    QTest::keyClick(results, Qt::Key_Tab);
    QVERIFY(results->hasFocus());
    QCOMPARE(results->toPlainText(), before);
  }

  // A window starting opens no listing (its day is read from the folder)
  // and no results window; the first search opens the listing. The kernel
  // tells every open of the file.
  void StartsWithoutAResultsWindowOrOpeningTheDatabase() {
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(watch >= 0);
    QVERIFY(inotify_add_watch(watch, listing_.toLocal8Bit().constData(),
                              IN_OPEN) >= 0);
    const auto opened = [&] {
      alignas(inotify_event) char events[4096];
      return read(watch, events, sizeof events) > 0;
    };
    window_ = std::make_unique<MainWindow>(
        dialogs_.get(), MainPresenter::Settings{
                            .listing = listing_.toStdString(), .sources = {}});
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QVERIFY(window_->results_window() == nullptr);
    QVERIFY(!opened());
    QVERIFY(dialogs_->errors.isEmpty());
    Search("00-1a-2b-00-00-01");
    QVERIFY(opened());
    close(watch);
  }

  void ResultsWindowHasTheLaidOutControls() {
    Search("");
    ResultsWindow* results = window_->results_window();
    QVERIFY(results != nullptr);
    QCOMPARE(results->objectName(), QStringLiteral("Form2"));
    QCOMPARE(results->windowTitle(), QStringLiteral("Результаты поиска"));
    QVERIFY(results->isWindow());
    QVERIFY(results->parentWidget() == nullptr);
    QVERIFY(!results->isModal());
    CheckControls(results, ResultsFormLayout());
    QCOMPARE(results->findChild<QPlainTextEdit*>("Text1")->parentWidget(),
             results->findChild<QGroupBox*>("Frame1"));
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
    QCOMPARE(results->text_box()->toPlainText(),
             QStringLiteral("00-1A-2B-3C-4D-5A - Example Networks\n"
                            "00:50:56:aa:bb:cc - VMware, Inc.\n"
                            "ff:ff:ff:ff:ff:ff - производитель не определен "
                            "(широковещательный адрес)\n"
                            "001a.2b3c.4d5e - Example Networks\n"));
    QVERIFY(dialogs_->errors.isEmpty());
  }

  // What a search makes of the results (they accumulate, a typed line
  // keeps its own, a closed window comes back empty) is the presenter's,
  // tested with it; here the real box: it gives back what was typed into
  // it, takes what it is told, and a window closed is gone.
  void TheResultsBoxHoldsWhatItIsToldAndWhatIsTyped() {
    Search("00-1a-2b-00-00-01");
    QPlainTextEdit* box = window_->results_window()->text_box();
    box->moveCursor(QTextCursor::End);
    QTest::keyClicks(box, "note");
    Search("no MAC here");
    QCOMPARE(box->toPlainText(),
             QStringLiteral("00-1a-2b-00-00-01 - Example Networks\nnote"));
    Search("00:50:56:00:00:02");
    QCOMPARE(box->toPlainText(),
             QStringLiteral("00-1a-2b-00-00-01 - Example Networks\n"
                            "note\n"
                            "00:50:56:00:00:02 - VMware, Inc.\n"));
    window_->results_window()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(window_->results_window() == nullptr);
    // Nothing to look up, so not even a missing listing stands in the way.
    QVERIFY(QFile::remove(listing_));
    Search("10.0.0.1 ----");
    QVERIFY(window_->results_window() != nullptr);
    QVERIFY(window_->results_window()->isVisible());
    QCOMPARE(window_->results_window()->text_box()->toPlainText(), QString());
    QVERIFY(dialogs_->errors.isEmpty());
  }

  // Once the box is full, a search shows the first of its own lines.
  void ResultsShowTheFirstLineJustAdded() {
    const auto lines = [](const char* mac, int count) {
      QString text;
      for (int i = 0; i < count; ++i) text += QString(mac) + '\n';
      return text;
    };
    Search(lines("00-1a-2b-00-00-01", 200));
    Search(lines("00:50:56:00:00:02", 100));
    auto* box = window_->results_window()->findChild<QPlainTextEdit*>("Text1");
    QCOMPARE(box->verticalScrollBar()->value(), 200);
    QCOMPARE(box->cursorForPosition(QPoint(4, 4)).block().blockNumber(), 200);
    QCOMPARE(box->textCursor().blockNumber(), 200);  // the caret there too
    // Too few to reach the top: the view ends with them instead.
    Search("00-1a-2b-00-00-03");
    const QRect line =
        box->cursorRect(QTextCursor(box->document()->findBlockByNumber(300)));
    QVERIFY(box->viewport()->rect().contains(line));
    // Long lines scroll sideways rather than wrap.
    Search(QStringLiteral("x").repeated(500) + " 00-1a-2b-00-00-03");
    QCOMPARE(box->document()->lineCount(), box->document()->blockCount());
  }

  void ReturnPressesTheFocusedButtonAndCtrlReturnSearches() {
    Input()->setPlainText("00-1a-2b-00-00-01");
    auto* search = Find<QPushButton>("Command1");
    search->setFocus();
    QTest::keyClick(search, Qt::Key_Return);
    QTRY_VERIFY(window_->results_window() != nullptr);
    QCOMPARE(window_->results_window()->text_box()->toPlainText(),
             QStringLiteral("00-1a-2b-00-00-01 - Example Networks\n"));
    // Enter on the keypad, on the update button: the confirmation asks.
    dialogs_->confirm_answer = false;
    auto* update = Find<QPushButton>("Command3");
    update->setFocus();
    QTest::keyClick(update, Qt::Key_Enter, Qt::KeypadModifier);
    QTRY_COMPARE(dialogs_->confirmed.size(), 1);
    // In the text box Return and Shift+Return break the line; Ctrl+Return
    // searches.
    Input()->setFocus();
    Input()->moveCursor(QTextCursor::End);
    QTest::keyClick(Input(), Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(window_->results_window()->text_box()->toPlainText().count('\n'),
             1);
    QTest::keyClick(Input(), Qt::Key_Backspace);
    QTest::keyClick(Input(), Qt::Key_Return);
    QTest::keyClicks(Input(), "00:50:56:00:00:02");
    QTest::keyClick(Input(), Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(window_->results_window()->text_box()->toPlainText(),
             QStringLiteral("00-1a-2b-00-00-01 - Example Networks\n"
                            "00-1a-2b-00-00-01 - Example Networks\n"
                            "00:50:56:00:00:02 - VMware, Inc.\n"));
  }

  // The real progress window, made from its layout: what it shows, its
  // bar busy or filled, and «Отмена» cancelling.
  void ProgressWindowShowsWhatItIsToldAndCancels() {
    MessageBoxDialogs dialogs;
    dialogs.set_parent(window_.get());
    std::unique_ptr<ProgressView> progress = dialogs.StartProgress();
    QVERIFY(progress->Show("Загрузка\nПолучено 1 КБ", -1));
    auto* dialog = window_->findChild<QWidget*>("FormProgress");
    QVERIFY(dialog != nullptr && dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Venmark — загрузка"));
    auto* label = dialog->findChild<QLabel*>("Label1");
    auto* bar = dialog->findChild<QProgressBar*>("Progress1");
    QCOMPARE(label->text(), QStringLiteral("Загрузка\nПолучено 1 КБ"));
    QCOMPARE(bar->maximum(), 0);  // busy: no size known
    QVERIFY(progress->Show("Загрузка\nПолучено 5,2 МБ", 0.5));
    QCOMPARE(label->text(), QStringLiteral("Загрузка\nПолучено 5,2 МБ"));
    QCOMPARE(bar->value() * 2, bar->maximum());
    QVERIFY(progress->Show("Загрузка", 1.0));
    QCOMPARE(bar->value(), bar->maximum());
    QTest::mouseClick(dialog->findChild<QPushButton*>("Command1"),
                      Qt::LeftButton);
    QVERIFY(!progress->Show("Загрузка", 0.6));
  }

  // Placed by the rule both toolkits share: centred on the main window,
  // and whole on the screen where the main window is not.
  void ProgressWindowStandsCentredOnTheMainWindowAndOnScreen() {
    const QRect area = window_->screen()->availableGeometry();
    for (const bool off_screen : {false, true}) {
      const QSize size = window_->frameGeometry().size();
      window_->move(off_screen ? area.topLeft() - QPoint(size.width() / 2 + 50,
                                                         size.height() / 2 + 50)
                               : area.center() - QPoint(size.width() / 2,
                                                        size.height() / 2));
      MessageBoxDialogs dialogs;
      dialogs.set_parent(window_.get());
      std::unique_ptr<ProgressView> progress = dialogs.StartProgress();
      auto* dialog = window_->findChild<QWidget*>("FormProgress");
      QVERIFY(dialog != nullptr);
      const QRect placed = dialog->frameGeometry();
      if (off_screen) {
        QCOMPARE(placed.topLeft(), area.topLeft());
      } else {
        const QPoint apart =
            placed.center() - window_->frameGeometry().center();
        QVERIFY2(
            apart.manhattanLength() <= 2,
            qPrintable(QStringLiteral("%1,%2").arg(apart.x()).arg(apart.y())));
      }
      QVERIFY(area.contains(placed));
    }
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
    QVERIFY(QFile::remove(listing_));
    Search("00:50:56:00:00:02");
    QCOMPARE(dialogs_->errors.size(), 1);
    const QString& error = dialogs_->errors.first();
    QVERIFY2(error.contains(listing_) && error.contains("файл не найден") &&
                 error.contains("«Обновить базу MAC-адресов с сервера IEEE»"),
             qPrintable(error));
    // The earlier results stay as they were; the next search works again.
    QCOMPARE(window_->results_window()->text_box()->toPlainText(),
             QStringLiteral("00-1a-2b-00-00-01 - Example Networks\n"));
    WriteListing(kListing);
    Search("00:50:56:00:00:03");
    QCOMPARE(window_->results_window()->text_box()->toPlainText(),
             QStringLiteral("00-1a-2b-00-00-01 - Example Networks\n"
                            "00:50:56:00:00:03 - VMware, Inc.\n"));
  }

  void MissingDatabaseBeforeAnySearchCreatesNoResultsWindow() {
    QVERIFY(QFile::remove(listing_));
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

  void WriteListing(const char* listing) {
    QFile file(listing_);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(listing);
  }

  // Types text into the input box and clicks «Поиск».
  void Search(const QString& text) {
    Input()->setPlainText(text);
    QTest::mouseClick(Find<QPushButton>("Command1"), Qt::LeftButton);
  }

  // The window and every control of its layout data where the data draws
  // them, scaled as one, showing their captions.
  void CheckControls(QWidget* window, const FormLayout& layout) {
    const Scale drawn(96, 1.0);
    const qreal scale = window->width() / qreal(drawn.Px(layout.width));
    QVERIFY(scale >= 1.0);
    QVERIFY(qAbs(window->height() - drawn.Px(layout.height) * scale) <= 1.5);
    for (const ControlLayout& control : layout.controls) {
      const char* name = control.name.c_str();
      QWidget* widget = window->findChild<QWidget*>(name);
      QVERIFY2(widget != nullptr, name);
      const QRect got = widget->geometry();
      const Pixels want = drawn.Rect(control.rect);
      for (const auto& [edge, drawn_edge] :
           {std::pair(got.left(), want.left), std::pair(got.top(), want.top),
            std::pair(got.right() + 1, want.right),
            std::pair(got.bottom() + 1, want.bottom)}) {
        QVERIFY2(qAbs(edge - drawn_edge * scale) <= 1.5, name);
      }
      const QString caption = Qs(control.caption);
      if (auto* button = qobject_cast<QPushButton*>(widget)) {
        QCOMPARE(button->text(), caption);
      } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        // The credits line shows the listing's own day.
        if (control.name != "Label1") QCOMPARE(label->text(), caption);
      } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
        QCOMPARE(frame->title(), caption);
      } else if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
        QCOMPARE(box->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
        QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
        QCOMPARE(box->lineWrapMode(), QPlainTextEdit::NoWrap);
        QVERIFY(!box->isReadOnly());
      } else {
        QFAIL(name);
      }
    }
  }

  QTemporaryDir dir_;
  QString listing_;
  std::unique_ptr<FakeDialogs> dialogs_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace venmark

QTEST_MAIN(venmark::WindowsTest)
#include "windows_test.moc"
