// «Обновить базу MAC-адресов с сервера IEEE» against a local server.
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <mutex>

#include "update/test_support.h"
#include "windows/fake_dialogs.h"
#include "windows/main_window.h"

namespace venmark {

class UpdateButtonTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    old_listing_ = QByteArray::fromStdString(MakeListing(20, "Old"));
    WriteFile("base.dat", old_listing_);
    QFile::remove(dir_.filePath("downloaded-new-base.dat"));
    server_ = std::make_unique<TestHttpServer>();
    server_->server().Get("/oui.txt", [this](const httplib::Request&,
                                             httplib::Response& response) {
      std::lock_guard lock(mutex_);
      response.status = status_;
      response.set_content(body_, "text/plain");
    });
    dialogs_ = std::make_unique<FakeDialogs>();
    window_ = std::make_unique<MainWindow>(
        dialogs_.get(),
        MainWindowFiles{.database = dir_.filePath("base.dat"),
                        .download = dir_.filePath("downloaded-new-base.dat"),
                        .source_url = server_->Url("/oui.txt")});
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
    QVERIFY(dialogs_->progress_labels.isEmpty());
    QVERIFY(dialogs_->informed.isEmpty() && dialogs_->errors.isEmpty());
    ExpectFilesUntouched();
  }

  void FailingServerShowsAnErrorAndNoCompletion() {
    Serve(418, "I'm a teapot");
    ClickUpdate();
    QCOMPARE(dialogs_->errors,
             QStringList{QStringLiteral(
                 "Не удалось обновить базу: сервер ответил HTTP 418")});
    QVERIFY(dialogs_->informed.isEmpty());
    QVERIFY(!dialogs_->progress_open);
    ExpectFilesUntouched();
  }

  void GoodServerReplacesTheDatabaseAndKeepsTheResults() {
    Search("00-00-01-aa-bb-cc");
    const QString before = window_->results_window()->Text();
    QCOMPARE(before, QStringLiteral("00-00-01-aa-bb-cc - Old 1\n"));

    const std::string fresh = MakeListing(30, "New");
    Serve(200, fresh);
    ClickUpdate();
    QVERIFY2(dialogs_->errors.isEmpty(),
             qPrintable(dialogs_->errors.join("; ")));
    QCOMPARE(dialogs_->informed,
             QStringList{QStringLiteral("Синхронизация завершена")});
    QVERIFY(dialogs_->progress_updates > 0);
    QVERIFY(!dialogs_->progress_open);
    QCOMPARE(ReadFile("base.dat"), QByteArray::fromStdString(fresh));
    QVERIFY(!QFile::exists(dir_.filePath("downloaded-new-base.dat")));
    QCOMPARE(window_->results_window()->Text(), before);

    // The next search reads the new listing.
    Search("00-00-01-aa-bb-cc");
    QCOMPARE(window_->results_window()->Text(),
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

  void MissingDatabaseIsCreated() {
    QVERIFY(QFile::remove(dir_.filePath("base.dat")));
    const std::string fresh = MakeListing(5, "New");
    Serve(200, fresh);
    ClickUpdate();
    QCOMPARE(dialogs_->informed,
             QStringList{QStringLiteral("Синхронизация завершена")});
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
    QVERIFY(!QFile::exists(dir_.filePath("downloaded-new-base.dat")));
  }

  QTemporaryDir dir_;
  QByteArray old_listing_;
  std::mutex mutex_;
  int status_ = 200;
  std::string body_;
  std::unique_ptr<TestHttpServer> server_;
  std::unique_ptr<FakeDialogs> dialogs_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace venmark

QTEST_MAIN(venmark::UpdateButtonTest)
#include "update_button_test.moc"
