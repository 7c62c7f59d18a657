// «Обновить базу MAC-адресов с сервера IEEE» against a local server.
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <mutex>

#include "qt/main_window.h"
#include "testing/fake_dialogs.h"
#include "testing/test_server.h"

namespace venmark {

class UpdateButtonTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    old_listing_ = QByteArray::fromStdString(MakeListing(20, "Old"));
    // Every test starts from a folder holding the old base.dat alone.
    QDir folder(dir_.path());
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden)) {
      QVERIFY(folder.remove(name));
    }
    WriteFile("base.dat", old_listing_);
    {
      // An old listing, so that its day in the credits tells.
      QFile old(dir_.filePath("base.dat"));
      QVERIFY(old.open(QIODevice::ReadWrite));
      QVERIFY(old.setFileTime(QDateTime(QDate(2022, 8, 27), QTime(12, 0)),
                              QFileDevice::FileModificationTime));
    }
    server_ = std::make_unique<TestHttpServer>();
    for (const std::string& path : ListingPaths()) {
      server_->server().Get(path, [this, path](const httplib::Request&,
                                               httplib::Response& response) {
        std::lock_guard lock(mutex_);
        const bool ma_l = path == "/oui/oui.txt";
        response.status = ma_l ? status_ : companion_status_;
        response.set_content(
            ma_l ? body_ : MakeKindListing(KindAt(path), 5, "Co"),
            "text/plain");
      });
    }
    dialogs_ = std::make_unique<FakeDialogs>();
    window_ = std::make_unique<MainWindow>(
        dialogs_.get(), MainPresenter::Settings{
                            .listing = dir_.filePath("base.dat").toStdString(),
                            .sources = IeeeSources(server_->Url(""))});
    window_->show();
  }

  void cleanup() {
    window_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    server_.reset();
  }

  void CancelTouchesNothing() {
    dialogs_->confirm_answer = false;
    Serve(200, MakeListing(30, "New"));
    ClickUpdate();
    QCOMPARE(dialogs_->confirmed,
             QStringList{QStringLiteral(
                 "Процесс может занять две-три минуты, программа может "
                 "сделать вид, что висит, подождите вывода сообщения о "
                 "завершении")});
    QVERIFY(dialogs_->progress_windows == 0);
    QVERIFY(dialogs_->informed.isEmpty() && dialogs_->errors.isEmpty());
    ExpectFilesUntouched();
  }

  void FailingServerShowsAnErrorAndNoCompletion() {
    Serve(418, "I'm a teapot");
    ClickUpdate();
    QCOMPARE(dialogs_->errors,
             QStringList{QStringLiteral(
                 "Не удалось обновить базу: сервер ответил HTTP 418")});
    QCOMPARE(dialogs_->progress_windows, 1);
    QVERIFY(dialogs_->informed.isEmpty());
    QVERIFY(!dialogs_->progress_open);
    ExpectFilesUntouched();
  }

  void GoodServerReplacesTheDatabaseAndKeepsTheResults() {
    Search("00-00-01-aa-bb-cc");
    const QString before = window_->results_window()->text_box()->toPlainText();
    QCOMPARE(before, QStringLiteral("00-00-01-aa-bb-cc - Old 1\n"));
    QVERIFY(
        window_->findChild<QLabel*>("Label1")->text().contains("27.08.2022"));

    const std::string fresh = MakeListing(30, "New");
    Serve(200, fresh);
    ClickUpdate();
    QVERIFY2(dialogs_->errors.isEmpty(),
             qPrintable(dialogs_->errors.join("; ")));
    // The credits name the new listing's day at once.
    QVERIFY(window_->findChild<QLabel*>("Label1")->text().endsWith(
        "IEEE, " + QDate::currentDate().toString("dd.MM.yyyy")));
    QCOMPARE(dialogs_->informed,
             QStringList{QStringLiteral("Синхронизация завершена")});
    QVERIFY(dialogs_->progress_updates > 0);
    QVERIFY(!dialogs_->progress_open);
    QCOMPARE(ReadFile("base.dat"), QByteArray::fromStdString(fresh));
    QCOMPARE(window_->results_window()->text_box()->toPlainText(), before);

    // The next search reads the new listing.
    Search("00-00-01-aa-bb-cc");
    QCOMPARE(window_->results_window()->text_box()->toPlainText(),
             before + QStringLiteral("00-00-01-aa-bb-cc - New 1\n"));
  }

  void CancellingTheProgressTouchesNothingAndSaysNothing() {
    Serve(200, MakeListing(30, "New"));
    dialogs_->cancel_after_updates = 1;
    ClickUpdate();
    QVERIFY(dialogs_->errors.isEmpty());
    QVERIFY(dialogs_->informed.isEmpty());
    ExpectFilesUntouched();
  }

  void MissingDatabaseIsCreatedAndAMissingCompanionNamed() {
    QVERIFY(QFile::remove(dir_.filePath("base.dat")));
    const std::string fresh = MakeListing(5, "New");
    Serve(200, fresh);
    companion_status_ = 404;
    ClickUpdate();
    QCOMPARE(dialogs_->informed.size(), 1);
    const QStringList lines = dialogs_->informed[0].split('\n');
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], QStringLiteral("Синхронизация завершена"));
    QVERIFY2(
        lines[1].startsWith(
            QStringLiteral("Не получены: список MA-S «%1»: сервер ответил HTTP "
                           "404; список IAB «")
                .arg(dir_.filePath("base-mas.dat"))),
        qPrintable(lines[1]));
    QCOMPARE(ReadFile("base.dat"), QByteArray::fromStdString(fresh));
  }

 private:
  void Serve(int status, const std::string& body) {
    std::lock_guard lock(mutex_);
    status_ = status;
    body_ = body;
  }

  void ClickUpdate() {
    QTest::mouseClick(window_->findChild<QPushButton*>("Command3"),
                      Qt::LeftButton);
  }

  void Search(const QString& text) {
    window_->findChild<QPlainTextEdit*>("Text1")->setPlainText(text);
    QTest::mouseClick(window_->findChild<QPushButton*>("Command1"),
                      Qt::LeftButton);
  }

  void WriteFile(const QString& name, const QByteArray& bytes) {
    QFile file(dir_.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }

  QByteArray ReadFile(const QString& name) {
    QFile file(dir_.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  void ExpectFilesUntouched() {
    QVERIFY(ReadFile("base.dat") == old_listing_);
    QCOMPARE(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"base.dat"});
  }

  QTemporaryDir dir_;
  QByteArray old_listing_;
  std::mutex mutex_;
  int status_ = 200;
  int companion_status_ = 200;
  std::string body_;
  std::unique_ptr<TestHttpServer> server_;
  std::unique_ptr<FakeDialogs> dialogs_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace venmark

QTEST_MAIN(venmark::UpdateButtonTest)
#include "update_button_test.moc"
