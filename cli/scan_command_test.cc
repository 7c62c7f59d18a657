// Runs the built venmark-scan as a script would.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>

#include "update/test_support.h"

namespace {

namespace fs = std::filesystem;

struct ScanResult {
  int status = -1;
  std::string out;
  std::string err;
};

class ScanCommandTest : public testing::Test {
 protected:
  std::string ReadFile(const std::string& name) const {
    return venmark::ReadWholeFile((dir_ / name).string());
  }

  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }

  // Runs venmark-scan in the test folder with args, stdin from stdin_text,
  // and environment settings env ("NAME=value ...").
  ScanResult Scan(const std::string& args, const std::string& stdin_text = "",
                  const std::string& env = "") {
    Write("stdin.txt", stdin_text);
    const std::string command = "cd '" + dir_.path().string() + "' && env " +
                                env + " '" + VENMARK_SCAN_PATH + "' " + args +
                                " < stdin.txt > stdout.txt 2> stderr.txt";
    const int raw = std::system(command.c_str());
    ScanResult run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadFile("stdout.txt");
    run.err = ReadFile("stderr.txt");
    return run;
  }

  venmark::TestFolder dir_;
};

constexpr char kListing[] =
    "00-1A-2B   (hex)\t\tExample Networks\r\n"
    "001A2B     (base 16)\t\tExample Networks\r\n"
    "00-50-56   (hex)\t\tVMware, Inc.\r\n";

TEST_F(ScanCommandTest, ScansStandardInputAgainstBaseDatInTheCurrentFolder) {
  Write("base.dat", kListing);
  const ScanResult run =
      Scan("", "link/ether 00:50:56:ab:cd:ef brd ff:ff:ff:ff:ff:ff\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "00:50:56:ab:cd:ef - VMware, Inc.\n"
            "ff:ff:ff:ff:ff:ff - производитель не определен "
            "(широковещательный адрес)\n");
  EXPECT_EQ(run.err, "");
}

TEST_F(ScanCommandTest, ScansEachFileInTurnWithTheNamedDatabase) {
  Write("vendors.txt", kListing);
  Write("a.txt", "001a.2b3c.4d5e");
  Write("b.txt", "00-50-56-");  // a MAC must not run on into the next file
  Write("c.txt", "01-02-03");
  const ScanResult run =
      Scan("--db vendors.txt a.txt b.txt - c.txt", "00-1a-2b-00-00-01\r\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "001a.2b3c.4d5e - Example Networks\n"
            "00-1a-2b-00-00-01 - Example Networks\n");
}

TEST_F(ScanCommandTest, ExitsTwoWhenTheDatabaseCannotBeRead) {
  const ScanResult run = Scan("", "00-1a-2b-00-00-01");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "venmark-scan: Не удалось прочитать базу производителей "
            "«base.dat»: файл не найден\n");
}

TEST_F(ScanCommandTest, ExitsOneForUsageErrorsAndUnreadableInputs) {
  Write("base.dat", kListing);
  ScanResult run = Scan("--frobnicate");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("«--frobnicate»"), std::string::npos) << run.err;
  EXPECT_EQ(Scan("--db").status, 1);

  // The readable files are still scanned.
  Write("good.txt", "00:1A:2B:01:02:03");
  run = Scan(". missing.txt good.txt");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "00:1A:2B:01:02:03 - Example Networks\n");
  EXPECT_EQ(
      run.err,
      "venmark-scan: не удалось прочитать «.»: это папка, а не файл\n"
      "venmark-scan: не удалось прочитать «missing.txt»: файл не найден\n");
}

TEST_F(ScanCommandTest, FindsMacsThatStraddleReadBlocks) {
  Write("base.dat", kListing);
  // 18 bytes a MAC never divides a block size, so MACs fall across every
  // block boundary at one offset or another.
  std::string text, expected;
  for (int i = 0; i < 20000; ++i) {
    const std::string mac = i % 2 ? "00-1a-2b-3c-4d-5e" : "001a.2b3c.4d5e...";
    text += mac + " ";
    expected += mac.substr(0, i % 2 ? 17 : 14) + " - Example Networks\n";
  }
  Write("big.txt", text);
  const ScanResult from_file = Scan("big.txt");
  EXPECT_EQ(from_file.status, 0);
  EXPECT_TRUE(from_file.out == expected) << "results differ";
  const ScanResult from_pipe = Scan("", text);
  EXPECT_TRUE(from_pipe.out == expected) << "results differ";
}

// The IEEE server, played through the proxy settings libcurl honours.
class ScanUpdateTest : public ScanCommandTest {
 protected:
  void SetUp() override {
    ScanCommandTest::SetUp();
    old_listing_ = venmark::MakeListing(20, "Old");
    Write("base.dat", old_listing_);
    server_.server().Get(R"(.*/oui\.txt)", [this](const httplib::Request&,
                                                  httplib::Response& response) {
      std::lock_guard lock(mutex_);
      response.status = status_;
      response.set_content(body_, "text/plain");
    });
  }

  ScanResult Update(int status, const std::string& body,
                    const std::string& args = "--update") {
    {
      std::lock_guard lock(mutex_);
      status_ = status;
      body_ = body;
    }
    return Scan(args, "",
                "http_proxy=" + server_.Url("") + " no_proxy= NO_PROXY=");
  }

  std::string old_listing_;
  std::mutex mutex_;
  int status_ = 200;
  std::string body_;
  venmark::TestHttpServer server_;
};

TEST_F(ScanUpdateTest, ReplacesTheDatabaseFromTheIeeeListing) {
  const std::string fresh = venmark::MakeListing(30, "New");
  const ScanResult run = Update(200, fresh);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("база «base.dat» обновлена, записей в ней: 30"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(ReadFile("base.dat") == fresh);
  EXPECT_FALSE(fs::exists(dir_ / "downloaded-new-base.dat"));
}

TEST_F(ScanUpdateTest, FailsWithoutTouchingTheDatabase) {
  const ScanResult run = Update(418, "<html>Request Rejected</html>");
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.err.find("venmark-scan: Не удалось обновить базу: сервер "
                         "ответил HTTP 418\n"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(ReadFile("base.dat") == old_listing_);
  EXPECT_FALSE(fs::exists(dir_ / "downloaded-new-base.dat"));
  EXPECT_EQ(Update(200, "", "--update extra.txt").status, 1);
}

TEST_F(ScanCommandTest, PrintsUsage) {
  const ScanResult run = Scan("--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.out.starts_with("Использование: venmark-scan")) << run.out;
}

}  // namespace
