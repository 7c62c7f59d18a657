// Runs the built venmark-scan as a script would.
#include "cli/scan_command.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "testing/test_server.h"

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

  // Runs venmark-scan in the test folder with args, stdin from stdin_text
  // (a file, or a pipe when piped), and environment settings env
  // ("NAME=value ...").
  ScanResult Scan(const std::string& args, const std::string& stdin_text = "",
                  const std::string& env = "", bool piped = false) {
    Write("stdin.txt", stdin_text);
    const std::string command = "cd '" + dir_.path().string() + "' && " +
                                (piped ? "cat stdin.txt | " : "") + "env " +
                                env + " '" + VENMARK_SCAN_PATH + "' " + args +
                                (piped ? "" : " < stdin.txt") +
                                " > stdout.txt 2> stderr.txt";
    const int raw = std::system(command.c_str());
    ScanResult run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadFile("stdout.txt");
    run.err = ReadFile("stderr.txt");
    return run;
  }

  // Runs venmark-scan in the test folder with args and env as Scan does,
  // on a terminal that script(1) gives it; out is what the terminal showed.
  ScanResult OnTerminal(const std::string& args, const std::string& env = "") {
    const std::string command = "cd '" + dir_.path().string() + "' && env " +
                                env + " script -qec \"'" + VENMARK_SCAN_PATH +
                                "' " + args + "\" /dev/null > typescript.txt";
    const int raw = std::system(command.c_str());
    ScanResult run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadFile("typescript.txt");
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
  // Whatever the input: short, or long enough that the listings are read
  // while it is scanned, in UTF-8 or a code page, from a file or a pipe,
  // one of several: no line comes out, and the reason is told once.
  std::string long_text;
  while (long_text.size() < 200000) long_text += "ether 00:1a:2b:00:00:01\n";
  Write("long.txt", long_text);
  Write("long-cp1251.txt", long_text + "\xcf\xf0\xe8\xec\xe5\xf0\n");
  const struct {
    std::string args;
    bool piped;
  } cases[] = {
      {"--db missing.dat", false},
      {"--db=missing.dat", false},
      {"--db missing.dat long.txt", false},
      {"--db missing.dat long-cp1251.txt", false},
      {"--db missing.dat long.txt long.txt", false},
      {"--db missing.dat", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args + (c.piped ? " (piped)" : ""));
    const ScanResult run = Scan(c.args, long_text, "", c.piped);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "venmark-scan: не удалось прочитать базу производителей «" +
                  (dir_ / "missing.dat").string() + "»: файл не найден\n");
  }
  // A device that never ends, or a pipe no one writes to, is refused at
  // once: neither is read on until the memory runs out, nor waited for.
  ASSERT_EQ(::mkfifo((dir_ / "fifo.dat").c_str(), 0600), 0);
  for (const std::string& path :
       {std::string("/dev/zero"), (dir_ / "fifo.dat").string()}) {
    const ScanResult run = Scan("--db " + path);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "venmark-scan: не удалось прочитать базу производителей «" +
                  path + "»: это не обычный файл (канал или устройство)\n");
  }
}

// Without --db: ./base.dat, then the user's data folder, then the system's
// copy; --version says which files answer.
TEST_F(ScanCommandTest, LooksForTheListingInItsThreePlaces) {
  fs::create_directories(dir_ / "home/.local/share/venmark");
  fs::create_directories(dir_ / "xdg/venmark");
  Write("home/.local/share/venmark/base.dat", kListing);
  Write("xdg/venmark/base.dat", kListing);
  Write("xdg/venmark/base-mas.dat",
        "00-1A-2B   (hex)\t\tBlock Owner\r\n"
        "000000-000FFF     (base 16)\t\tBlock Owner\r\n");
  const std::string home = "HOME=" + (dir_ / "home").string();
  const std::string xdg = "XDG_DATA_HOME=" + (dir_ / "xdg").string();
  const struct {
    std::string env;
    std::string used;
  } cases[] = {
      {home + " " + xdg, (dir_ / "xdg/venmark/base.dat").string()},
      {home + " XDG_DATA_HOME=",
       (dir_ / "home/.local/share/venmark/base.dat").string()},
      {"HOME=/nonexistent XDG_DATA_HOME=", "/usr/share/ieee-data/oui.txt"},
      {"HOME=/nonexistent XDG_DATA_HOME= XDG_DATA_DIRS=" +
           (dir_ / "sys").string() + ":/usr/share",
       (dir_ / "sys/ieee-data/oui.txt").string()},
  };
  fs::create_directories(dir_ / "sys/ieee-data");
  Write("sys/ieee-data/oui.txt", kListing);
  for (const auto& c : cases) {
    const ScanResult run = Scan("--version", "", c.env);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("  MA-L  " + c.used + ": записей "),
              std::string::npos)
        << run.out;
  }
  EXPECT_EQ(Scan("", "00-1a-2b-00-00-01", home + " " + xdg).out,
            "00-1a-2b-00-00-01 - Block Owner\n");
  Write("base.dat", kListing);
  const ScanResult here = Scan("--version", "", home + " " + xdg);
  EXPECT_NE(here.out.find("  MA-L  " + (dir_ / "base.dat").string() +
                          ": записей 2, от "),
            std::string::npos)
      << here.out;
  EXPECT_EQ(here.out.find("MA-S"), std::string::npos) << here.out;
}

// The administrator's names beside the listing: a bad line is named with
// its file and number, on stderr and in --version, and the rest answers.
TEST_F(ScanCommandTest, NamesDevicesFromNamesTxtAndTellsItsBadLines) {
  Write("base.dat", kListing);
  Write("names.txt",
        "00:50:56:aa:bb:cc vcenter-01\nnot a line\n"
        "0A-1B-2C/24 lab\n");
  const ScanResult run =
      Scan("", "00:50:56:aa:bb:cc 0a:1b:2c:00:00:01 00:50:56:aa:bb:cd\n");
  EXPECT_EQ(run.out,
            "00:50:56:aa:bb:cc - VMware, Inc. [vcenter-01]\n"
            "0a:1b:2c:00:00:01 - lab (ваше название диапазона)\n"
            "00:50:56:aa:bb:cd - VMware, Inc.\n");
  const std::string bad = "«" + (dir_ / "names.txt").string() +
                          "», строка 2: не указаны MAC-адрес или диапазон и "
                          "название — строка пропущена";
  EXPECT_EQ(run.err, "venmark-scan: " + bad + "\n");
  EXPECT_EQ(run.status, 0);
  const ScanResult version = Scan("--version");
  EXPECT_NE(version.out.find("  Имена  " + (dir_ / "names.txt").string() +
                             ": названий 2\n  " + bad + "\n"),
            std::string::npos)
      << version.out;
  // The user's own names.txt comes first: its name of a MAC wins.
  fs::create_directories(dir_ / "data" / "venmark");
  Write("data/venmark/names.txt", "00-50-56-AA-BB-CC my-vcenter\n");
  EXPECT_EQ(Scan("", "00:50:56:aa:bb:cc\n",
                 "XDG_DATA_HOME='" + (dir_ / "data").string() + "'")
                .out,
            "00:50:56:aa:bb:cc - VMware, Inc. [my-vcenter]\n");

  // A names file that cannot be read is named on stderr and by --version,
  // never dropped without a word: a FIFO (not waited on), a link to a
  // device, one far too large.
  const std::string data = "XDG_DATA_HOME='" + (dir_ / "data").string() + "'";
  const fs::path user = dir_ / "data" / "venmark" / "names.txt";
  const std::string device =
      " пропущен: это не обычный файл (канал или "
      "устройство)";
  fs::remove(user);
  ASSERT_EQ(::mkfifo(user.c_str(), 0600), 0);
  ScanResult fifo = Scan("", "00:50:56:aa:bb:cc\n", data);
  EXPECT_EQ(fifo.out, "00:50:56:aa:bb:cc - VMware, Inc. [vcenter-01]\n");
  EXPECT_EQ(fifo.err.find("venmark-scan: файл имён «" + user.string() + "»" +
                          device + "\n"),
            0u)
      << fifo.err;
  EXPECT_NE(Scan("--version", "", data)
                .out.find("  файл имён «" + user.string() + "»" + device),
            std::string::npos);
  fs::remove(user);
  fs::create_symlink("/dev/zero", user);
  EXPECT_NE(Scan("", "", data).err.find("«" + user.string() + "»" + device),
            std::string::npos);
  fs::remove(user);
  // One the system will not read (a folder in its place) is told why.
  fs::create_directory(user);
  EXPECT_NE(Scan("", "", data)
                .err.find("файл имён «" + user.string() +
                          "» пропущен: это папка, а не файл"),
            std::string::npos);
  fs::remove(user);
  fs::resize_file(dir_ / "names.txt", (std::uintmax_t{64} << 20) + 1);
  EXPECT_NE(Scan("", "", data)
                .err.find("файл имён «" + (dir_ / "names.txt").string() +
                          "» пропущен: файл больше 64 МБ — это не файл имён"),
            std::string::npos);
}

TEST_F(ScanCommandTest, WritesEachFormatAndReportsOutputThatFails) {
  Write("base.dat", kListing);
  const std::string input = "00:50:56:aa:bb:cc ff-ff-ff-ff-ff-ff\n";
  EXPECT_EQ(
      Scan("--format=tsv", input).out,
      "00:50:56:aa:bb:cc\t005056\tVMware, Inc.\t\t00:50:56:aa:bb:cc\t1\t\n"
      "ff-ff-ff-ff-ff-ff\t\t\tшироковещательный адрес\t"
      "ff:ff:ff:ff:ff:ff\t1\t\n");
  EXPECT_EQ(Scan("--format json", input).out,
            "{\"mac\":\"00:50:56:aa:bb:cc\",\"assignment\":\"005056\","
            "\"vendor\":\"VMware, Inc.\",\"note\":\"\",\"address\":"
            "\"00:50:56:aa:bb:cc\",\"line\":1,\"name\":\"\"}\n"
            "{\"mac\":\"ff-ff-ff-ff-ff-ff\",\"assignment\":\"\",\"vendor\":"
            "\"\",\"note\":\"широковещательный адрес\",\"address\":"
            "\"ff:ff:ff:ff:ff:ff\",\"line\":1,\"name\":\"\"}\n");
  // The Russian note of a MAC inside an identifier, and lines counted in a
  // mapped file as in a pipe.
  const std::string derived = "x\nfe80::250:56ff:feaa:bbcc%eth0\n";
  EXPECT_EQ(Scan("", derived).out,
            "fe80::250:56ff:feaa:bbcc - VMware, Inc. (MAC 00:50:56:aa:bb:cc "
            "из IPv6-адреса)\n");
  for (const bool piped : {false, true}) {
    EXPECT_EQ(Scan("--format=json", derived, "", piped).out,
              "{\"mac\":\"fe80::250:56ff:feaa:bbcc\",\"assignment\":\"005056\","
              "\"vendor\":\"VMware, Inc.\",\"note\":\"\",\"address\":"
              "\"00:50:56:aa:bb:cc\",\"line\":2,\"name\":\"\",\"derived_from\":"
              "\"ipv6\"}\n")
        << piped;
  }
  const ScanResult xml = Scan("--format=xml");
  EXPECT_EQ(xml.status, 1);
  EXPECT_EQ(xml.out, "");
  EXPECT_EQ(xml.err,
            "venmark-scan: --format принимает text, tsv или json\n"
            "Справка: venmark-scan --help\n");

  // A short text, and one long enough to be written by a second thread.
  for (const int lines : {200, 40000}) {
    std::string many;
    for (int i = 0; i < lines; ++i) many += "00:50:56:aa:bb:cc\n";
    Write("many.txt", many);
    // Within a minute: the scanning thread must not wait for a writer
    // that has given up.
    const std::string command = "cd '" + dir_.path().string() +
                                "' && timeout 60 '" + VENMARK_SCAN_PATH +
                                "' many.txt > /dev/full 2> stderr.txt";
    const int raw = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1) << lines;
    EXPECT_EQ(
        ReadFile("stderr.txt"),
        "venmark-scan: не удалось вывести результат: на диске нет места\n");
  }
}

// What PowerShell writes for "ipconfig /all > file": UTF-16 with a mark.
TEST_F(ScanCommandTest, DecodesUtf16Input) {
  Write("base.dat", kListing);
  const std::u16string text = u"Физический адрес: 00-1A-2B-3C-4D-5E\r\n";
  for (const bool big_endian : {false, true}) {
    std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
      const char high = static_cast<char>(unit >> 8);
      const char low = static_cast<char>(unit & 0xFF);
      bytes += big_endian ? std::string{high, low} : std::string{low, high};
    }
    Write("ipconfig.txt", bytes);
    EXPECT_EQ(Scan("ipconfig.txt").out,
              "00-1A-2B-3C-4D-5E - Example Networks\n");
  }
}

// A note saved in Notepad's "ANSI" (Windows-1251) or cmd.exe's output
// (CP866) is read as the same text in UTF-8: its Cyrillic headings and
// labels count. Alike as a short file, a long one read whole, and a pipe.
TEST_F(ScanCommandTest, ReadsRussianCodePagesAsTheirUtf8Twins) {
  Write("base.dat", kListing);
  // "Имя  МАК-адрес" over a column of bare digits, in each encoding.
  const std::string utf8 =
      "\xD0\x98\xD0\xBC\xD1\x8F  \xD0\x9C\xD0\x90\xD0\x9A-\xD0\xB0\xD0\xB4"
      "\xD1\x80\xD0\xB5\xD1\x81\npc1  001A2B3C4D5E\n";
  const std::string cp1251 =
      "\xC8\xEC\xFF  \xCC\xC0\xCA-\xE0\xE4\xF0\xE5\xF1\npc1  001A2B3C4D5E\n";
  const std::string cp866 =
      "\x88\xAC\xEF  \x8C\x80\x8A-\xA0\xA4\xE0\xA5\xE1\npc1  001A2B3C4D5E\n";
  // Long enough to be read whole rather than as a short file.
  const std::string filler(std::size_t{80} << 10, 'x');
  for (const std::string& note : {utf8, cp1251, cp866}) {
    for (const std::string& text : {note, filler + "\n\n" + note}) {
      SCOPED_TRACE(text.size());
      Write("note.txt", text);
      const ScanResult file = Scan("--format json note.txt");
      EXPECT_NE(file.out.find("\"mac\":\"001A2B3C4D5E\""), std::string::npos)
          << file.out;
      EXPECT_EQ(Scan("note.txt").out, "001A2B3C4D5E - Example Networks\n");
      EXPECT_EQ(Scan("", text).out, "001A2B3C4D5E - Example Networks\n");
    }
  }
}

// No listing anywhere: the search and --version exit 2 and say where they
// looked.
TEST_F(ScanCommandTest, ExitsTwoWithoutAnyListing) {
  const std::string nowhere =
      "HOME=" + dir_.path().string() +
      " XDG_DATA_HOME= XDG_DATA_DIRS=" + (dir_ / "none").string();
  for (const std::string args : {"", "--version"}) {
    const ScanResult run = Scan(args, "00-1a-2b-00-00-01", nowhere);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_NE(run.err.find("не найден список производителей"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find((dir_ / "none/ieee-data/oui.txt").string()),
              std::string::npos)
        << run.err;
  }
}

// Each listing with its own date.
TEST_F(ScanCommandTest, VersionGivesEachListingsOwnDate) {
  Write("base.dat", kListing);
  Write("base-mas.dat",
        "00-1A-2B   (hex)\t\tBlock Owner\r\n"
        "000000-000FFF     (base 16)\t\tBlock Owner\r\n");
  const auto day = [](int y, int m, int d) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = m - 1;
    tm.tm_mday = d;
    tm.tm_hour = 12;
    return fs::file_time_type::clock::from_sys(
        std::chrono::system_clock::from_time_t(std::mktime(&tm)));
  };
  fs::last_write_time(dir_ / "base.dat", day(2022, 8, 27));
  fs::last_write_time(dir_ / "base-mas.dat", day(2024, 3, 1));
  const ScanResult run = Scan("--version");
  EXPECT_NE(run.out.find("base.dat: записей 2, от 2022-08-27"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("base-mas.dat: записей 1, от 2024-03-01"),
            std::string::npos)
      << run.out;
}

TEST_F(ScanCommandTest, ExitsOneForUsageErrorsAndUnreadableInputs) {
  Write("base.dat", kListing);
  ScanResult run = Scan("--frobnicate");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("«--frobnicate»"), std::string::npos) << run.err;
  EXPECT_EQ(Scan("--db").status, 1);
  EXPECT_EQ(Scan("--db=").status, 1);
  EXPECT_EQ(Scan("--update --from").err,
            "venmark-scan: после --from нужна папка или адрес\n"
            "Справка: venmark-scan --help\n");
  // A blank origin is a slip, not the settings' origin.
  EXPECT_EQ(Scan("--update --from ' '").err,
            "venmark-scan: после --from нужна папка или адрес\n"
            "Справка: venmark-scan --help\n");
  EXPECT_EQ(Scan("--update --from file:///srv%00/x").err,
            "venmark-scan: после --from «file:///srv%00/x» не может быть "
            "папкой: в имени есть нулевой знак (%00)\n"
            "Справка: venmark-scan --help\n");
  EXPECT_EQ(Scan("--from=/media/usb").err,
            "venmark-scan: --from действует только вместе с --update\n"
            "Справка: venmark-scan --help\n");
  // An option that only begins like one is another.
  run = Scan("--db-path=base.dat");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "venmark-scan: неизвестный параметр «--db-path=base.dat»\n"
            "Справка: venmark-scan --help\n");
  // Standard input that cannot be read (closed here) is named as such.
  const std::string closed = "cd '" + dir_.path().string() + "' && '" +
                             VENMARK_SCAN_PATH + "' - <&- 2> stderr.txt";
  const int raw = std::system(closed.c_str());
  EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
  EXPECT_NE(
      ReadFile("stderr.txt").find("не удалось прочитать «стандартный ввод»"),
      std::string::npos)
      << ReadFile("stderr.txt");

  // A file whose read fails midway (the process's own memory reads as a
  // regular file whose first page cannot be read) is named with why.
  Write("f0.txt", "00:1A:2B:01:02:03\n");
  for (const char* args : {"/proc/self/mem", "f0.txt /proc/self/mem"}) {
    run = Scan(args);
    EXPECT_EQ(run.status, 1) << args;
    EXPECT_NE(run.err.find("не удалось прочитать «/proc/self/mem»"),
              std::string::npos)
        << run.err;
  }

  // Each file named is closed once scanned: eighty of them under a limit
  // of forty descriptors are all scanned.
  std::string many;
  for (int i = 0; i < 80; ++i) {
    const std::string name = "f" + std::to_string(i) + ".txt";
    Write(name, "00:1A:2B:01:02:03\n");
    many += " " + name;
  }
  const std::string limited = "cd '" + dir_.path().string() +
                              "' && ulimit -n 40 && '" + VENMARK_SCAN_PATH +
                              "'" + many + " > stdout.txt 2> stderr.txt";
  const int limited_raw = std::system(limited.c_str());
  EXPECT_EQ(WIFEXITED(limited_raw) ? WEXITSTATUS(limited_raw) : -1, 0)
      << ReadFile("stderr.txt");
  const std::string lines = ReadFile("stdout.txt");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 80);

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
  // A MAC that ends exactly at the first block's edge, and ones that cross
  // it by a byte.
  for (const std::string mac :
       {"00-1a-2b-3c-4d-5e", "001a.2b3c.4d5e", "001a-2b3c-4d5e"}) {
    for (const std::size_t before : {mac.size(), mac.size() - 1}) {
      const std::string text = std::string(65536 - before, ' ') + mac + " x\n";
      EXPECT_EQ(Scan("", text, "", true).out, mac + " - Example Networks\n")
          << before;
    }
  }
  // 18 bytes a MAC never divides a block size, so MACs fall across every
  // block boundary at one offset or another.
  std::string text, expected;
  for (int i = 0; i < 20000; ++i) {
    const std::string mac = i % 2 ? "00-1a-2b-3c-4d-5e" : "001a.2b3c.4d5e...";
    text += mac + " ";
    expected += mac.substr(0, i % 2 ? 17 : 14) + " - Example Networks\n";
  }
  // A file is mapped and scanned whole, by two threads; a pipe is read.
  Write("big.txt", text);
  const ScanResult from_file = Scan("big.txt");
  EXPECT_EQ(from_file.status, 0);
  EXPECT_TRUE(from_file.out == expected) << "results differ";
  const ScanResult from_pipe = Scan("", text, "", true);
  EXPECT_TRUE(from_pipe.out == expected) << "results differ";
}

// A mirror of the IEEE's server over plain HTTP (the user's own choice),
// played through the proxy settings libcurl honours.
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
                "VENMARK_IEEE_ORIGIN=http://mirror.invalid http_proxy=" +
                    server_.Url("") + " no_proxy= NO_PROXY=");
  }

  std::string old_listing_;
  std::mutex mutex_;
  int status_ = 200;
  std::string body_;
  venmark::TestHttpServer server_;
};

// venmark-scan started in folder on a pipe that stays open, as in
// tail -f log | venmark-scan, with args; set_up runs in the child before
// it starts.
class PipeScan {
 public:
  explicit PipeScan(const std::string& folder,
                    const std::function<void()>& set_up = {},
                    const std::vector<std::string>& args = {}) {
    int to_scan[2], from_scan[2];
    if (::pipe(to_scan) != 0 || ::pipe(from_scan) != 0) return;
    const std::string program = VENMARK_SCAN_PATH;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(to_scan[0], 0);
      ::dup2(from_scan[1], 1);
      for (const int fd :
           {to_scan[0], to_scan[1], from_scan[0], from_scan[1]}) {
        ::close(fd);
      }
      if (set_up) set_up();
      if (::chdir(folder.c_str()) != 0) ::_exit(127);
      std::vector<char*> argv{const_cast<char*>(program.c_str())};
      for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
      }
      argv.push_back(nullptr);
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(to_scan[0]);
    ::close(from_scan[1]);
    in_ = to_scan[1];
    out_ = from_scan[0];
  }
  ~PipeScan() { Finish(); }
  PipeScan(const PipeScan&) = delete;
  PipeScan& operator=(const PipeScan&) = delete;

  pid_t pid() const { return pid_; }

  // Writes line and returns its answer: what came out up to a line break,
  // within ten seconds.
  std::string Answer(const std::string& line) {
    EXPECT_EQ(::write(in_, line.data(), line.size()),
              static_cast<ssize_t>(line.size()));
    std::string got;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (got.find('\n') == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
      pollfd ready{out_, POLLIN, 0};
      if (::poll(&ready, 1, 10) == 1) {
        char buffer[256];
        const ssize_t n = ::read(out_, buffer, sizeof buffer);
        if (n <= 0) break;
        got.append(buffer, static_cast<std::size_t>(n));
      }
    }
    return got;
  }

  // Waits for the scan to end with its input still open, ten seconds at
  // most: its wait status, or -1 while it runs.
  int StatusWithInputOpen() {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        ::close(in_);
        ::close(out_);
        return status;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }

  // Ends the input and waits for the scan: its wait status, -1 once taken.
  int Finish() {
    if (pid_ <= 0) return -1;
    ::close(in_);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    ::close(out_);
    pid_ = -1;
    return status;
  }

 private:
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
};

// Asks scan about line until it answers with then (within ten seconds),
// every answer before that being before: a change is taken up whole, or
// not at all.
void AnswersOnceTakenUp(PipeScan* scan, const std::string& line,
                        const std::string& before, const std::string& then) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(10);
  std::string got;
  while (std::chrono::steady_clock::now() < deadline) {
    got = scan->Answer(line);
    if (got == then) return;
    ASSERT_EQ(got, before);
  }
  EXPECT_EQ(got, then);
}

// A filter: each MAC's line comes out as soon as its line goes in, while
// the pipe stays open (tail -f log | venmark-scan); a listing an update
// renames into place, or one copied over the old, answers the lines that
// come after it once it has settled, and a broken one leaves the last good
// one answering.
TEST_F(ScanCommandTest, AnswersEachLineWhileThePipeStaysOpen) {
  Write("base.dat", kListing);
  PipeScan scan(dir_.path().string());
  const std::string line =
      "Jun 1 dhcpd: DHCPACK to 00:50:56:00:00:02 via eth1\n";
  EXPECT_EQ(scan.Answer("Jun 1 dhcpd: DHCPACK to 00:1a:2b:00:00:01 via eth1\n"),
            "00:1a:2b:00:00:01 - Example Networks\n");
  EXPECT_EQ(scan.Answer(line), "00:50:56:00:00:02 - VMware, Inc.\n");
  const struct {
    const char* listing;
    bool renamed;  // by a rename, else written over the old file
    const char* name;
  } steps[] = {
      {"00-50-56   (hex)\t\tRenamed Maker\r\n", true, "Renamed Maker"},
      {"00-50-56   (hex)\t\tRewrote Maker\r\n", false, "Rewrote Maker"},
      // Broken: the last good listing goes on answering until a good one
      // comes.
      {"<html>Request Rejected</html>\n", false, nullptr},
      {"00-50-56   (hex)\t\tFinal Maker\r\n", false, "Final Maker"},
  };
  std::string last = "VMware, Inc.";
  for (const auto& step : steps) {
    Write(step.renamed ? "new.dat" : "base.dat", step.listing);
    if (step.renamed) fs::rename(dir_ / "new.dat", dir_ / "base.dat");
    if (step.name == nullptr) continue;
    AnswersOnceTakenUp(&scan, line, "00:50:56:00:00:02 - " + last + "\n",
                       "00:50:56:00:00:02 - " + std::string(step.name) + "\n");
    last = step.name;
  }
  // names.txt beside the listing, written and then edited: each taken up
  // at a later line, as a listing is.
  Write("names.txt", "00:50:56:00:00:02 dhcp-01\n");
  AnswersOnceTakenUp(&scan, line, "00:50:56:00:00:02 - " + last + "\n",
                     "00:50:56:00:00:02 - " + last + " [dhcp-01]\n");
  Write("names.txt", "00:50:56:00:00:02 dhcp-02\n");
  AnswersOnceTakenUp(&scan, line,
                     "00:50:56:00:00:02 - " + last + " [dhcp-01]\n",
                     "00:50:56:00:00:02 - " + last + " [dhcp-02]\n");
  const int status = scan.Finish();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// Without listings a scan of a pipe that stays silent, or of a terminal,
// ends at once: it does not wait for a line to tell there is nothing to
// name it by.
TEST_F(ScanCommandTest, ToldAtOnceThatThereIsNoListingWhileAPipeIsSilent) {
  PipeScan scan(dir_.path().string(), {}, {"--db", "missing.dat"});
  const int status = scan.StatusWithInputOpen();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << status;
}

// The lines of a file named before a pipe come out before the pipe has
// said anything: a pipe that stays silent holds back nothing of the file.
TEST_F(ScanCommandTest, ShowsAFilesLinesBeforeWaitingForThePipeAfterIt) {
  Write("base.dat", kListing);
  Write("a.txt", "ether 00:1a:2b:00:00:01\n");
  PipeScan scan(dir_.path().string(), {}, {"a.txt", "-"});
  EXPECT_EQ(scan.Answer(""), "00:1a:2b:00:00:01 - Example Networks\n");
  EXPECT_EQ(scan.Answer("00:50:56:00:00:02\n"),
            "00:50:56:00:00:02 - VMware, Inc.\n");
  const int status = scan.Finish();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(ScanUpdateTest, ReplacesTheDatabaseFromTheIeeeListing) {
  const std::string fresh = venmark::MakeListing(30, "New");
  const ScanResult run = Update(200, fresh);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("база «" + (dir_ / "base.dat").string() +
                         "» обновлена, записей в ней: 30"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(ReadFile("base.dat") == fresh);
  // Not on a terminal: a line for each listing once it is in, with its
  // size where the server told it, never a line redrawn; none for those
  // the server did not have.
  EXPECT_EQ(run.err.find('\r'), std::string::npos) << run.err;
  const std::size_t at = run.err.find(" КБ — список MA-L (1 из 5)\n");
  EXPECT_NE(at, std::string::npos) << run.err;
  EXPECT_EQ(run.err.find(" КБ — список MA-L", at + 1), std::string::npos);
  EXPECT_EQ(run.err.find("Получено 0 КБ"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(" из "), std::string::npos) << run.err;
  // No companion is served: none was there before, and each is named.
  EXPECT_NE(run.err.find("venmark-scan: не получен список MA-S «" +
                         (dir_ / "base-mas.dat").string() +
                         "»: сервер ответил HTTP 404\n"),
            std::string::npos)
      << run.err;
}

// An update from a folder, once (--from), or as the user's setting says;
// --version names where updates come from and where that was set.
TEST_F(ScanUpdateTest, UpdatesFromAFolderNamedOnceOrSet) {
  const fs::path usb = dir_ / "usb stick";
  fs::create_directories(usb);
  const std::string fresh = venmark::MakeListing(22, "Folder");
  std::ofstream(usb / "oui.txt", std::ios::binary) << fresh;
  const std::string env =
      "XDG_CONFIG_HOME='" + (dir_ / "config").string() + "' XDG_CONFIG_DIRS=";
  ScanResult run =
      Scan("--update --from 'file://" + usb.string() + "'", "", env);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("загрузка списков OUI из «" + usb.string() + "» в «"),
            std::string::npos)
      << run.err;
  EXPECT_NE(
      run.err.find("не получен список MA-M «" +
                   (dir_ / "base-mam.dat").string() + "»: в папке нет файла «" +
                   (usb / "oui28" / "mam.txt").string() + "»"),
      std::string::npos)
      << run.err;
  EXPECT_TRUE(ReadFile("base.dat") == fresh);
  EXPECT_EQ(Scan("--version", "", env).out.find("Обновления"),
            std::string::npos);

  const fs::path conf = dir_ / "config" / "venmark" / "venmark.conf";
  fs::create_directories(conf.parent_path());
  std::ofstream(conf) << "# our mirror\norigin = " << usb.string() << "/\n";
  const std::string newer = venmark::MakeListing(23, "Newer");
  std::ofstream(usb / "oui.txt", std::ios::binary) << newer;
  std::ofstream(usb / "cid.txt", std::ios::binary)
      << venmark::MakeKindListing(venmark::ListingKind::kCid, 4, "Cid");
  run = Scan("--update", "", env);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(ReadFile("base.dat") == newer);
  // The last listing's line too, once it is in.
  EXPECT_NE(run.err.find(" КБ — список CID (5 из 5)\nvenmark-scan: база"),
            std::string::npos)
      << run.err;
  EXPECT_NE(Scan("--version", "", env)
                .out.find("Обновления загружаются из: папка «" + usb.string() +
                          "» (задано в " + conf.string() + ")"),
            std::string::npos);

  // A FIFO in the machine's settings place holds nothing up, and is named
  // by --version and by the update's first line.
  const fs::path fifo = dir_ / "xdg" / "venmark" / "venmark.conf";
  fs::create_directories(fifo.parent_path());
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string named = "настройка «" + fifo.string() +
                            "» пропущена: это не обычный файл (канал или "
                            "устройство)\n";
  const std::string with_fifo = env + "'" + (dir_ / "xdg").string() + "'";
  run = Scan("--version", "", with_fifo);
  EXPECT_NE(run.out.find(named), std::string::npos) << run.out;
  run = Scan("--update", "", with_fifo);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.find("venmark-scan: " + named), 0u) << run.err;
}

// On a terminal the progress is one line redrawn in place: each quarter of
// a megabyte shown, a shorter line blanking what a longer one left, and a
// line break at the end.
TEST_F(ScanCommandTest, RedrawsTheProgressInPlaceOnATerminal) {
  const std::string old_listing = venmark::MakeListing(20000, "Old");
  Write("base.dat", old_listing);
  Write("base-mam.dat",
        venmark::MakeKindListing(venmark::ListingKind::kMaM, 5, "M"));
  fs::create_directories(dir_ / "usb");
  Write("usb/oui.txt", venmark::MakeListing(20000, "New"));
  Write("usb/mam.txt",
        venmark::MakeKindListing(venmark::ListingKind::kMaM, 5, "N"));
  ASSERT_GT(old_listing.size(), std::size_t{1} << 20);
  const ScanResult run = OnTerminal("--update --from usb");
  ASSERT_EQ(run.status, 0) << run.out;
  const std::string& shown = run.out;
  for (const char* step :
       {"\rПолучено 0,0 из 1,", "\rПолучено 0,3 из 1,", "\rПолучено 0,5 из 1,",
        "\rПолучено 0,8 из 1,", "\rПолучено 1,0 из 1,"}) {
    EXPECT_NE(shown.find(step), std::string::npos) << step << shown;
  }
  // MA-M's line is shorter than MA-L's last: blanks cover the rest.
  const std::size_t mam = shown.find("— список MA-M (4 из 5)");
  ASSERT_NE(mam, std::string::npos) << shown;
  EXPECT_EQ(shown.substr(mam + std::string("— список MA-M (4 из 5)").size(), 2),
            "  ")
      << shown;
  // The line drawn last is ended before the outcome is told.
  EXPECT_NE(shown.find("\nvenmark-scan: база «"), std::string::npos) << shown;
}

// A download reports each piece curl reads, a few kilobytes; a terminal
// still sees the line redrawn once a quarter of a megabyte, not once a
// piece.
TEST_F(ScanUpdateTest, RedrawsADownloadOnceAQuarterOfAMegabyte) {
  Write("base.dat", venmark::MakeListing(20000, "Old"));
  const std::string body = venmark::MakeListing(20000, "New");
  ASSERT_GT(body.size(), std::size_t{1} << 20);
  ASSERT_LT(body.size(), std::size_t{3} << 19);
  // Sent a piece at a time, so that curl reads them one by one; and not as
  // a text type, which the server would compress.
  venmark::TestHttpServer plain;
  plain.server().Get(R"(.*/oui\.txt)", [&](const httplib::Request&,
                                           httplib::Response& response) {
    response.set_content_provider(
        body.size(), "application/octet-stream",
        [&](std::size_t offset, std::size_t, httplib::DataSink& sink) {
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
          return sink.write(body.data() + offset,
                            std::min<std::size_t>(body.size() - offset, 16384));
        });
  });
  const ScanResult run = OnTerminal(
      "--update", "VENMARK_IEEE_ORIGIN=http://mirror.invalid http_proxy=" +
                      plain.Url("") + " no_proxy= NO_PROXY=");
  ASSERT_EQ(run.status, 0) << run.out;
  const std::string& shown = run.out;
  ASSERT_NE(shown.find("\rПолучено 1,"), std::string::npos) << shown;
  std::size_t redraws = 0;
  for (std::size_t at = shown.find("— список MA-L"); at != std::string::npos;
       at = shown.find("— список MA-L", at + 1)) {
    ++redraws;
  }
  // Five quarters (0 to 1,2 MB), and the line before the size is known.
  EXPECT_LE(redraws, 8u) << shown;
}

// An update by a user who may not keep the listing's group says so.
TEST_F(ScanUpdateTest, SaysWhenTheGroupCannotBeKept) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may act as another user";
  char name[] = "/var/tmp/venmark-group-XXXXXX";
  ASSERT_NE(::mkdtemp(name), nullptr);
  const fs::path folder = name;
  ::chmod(folder.c_str(), 0777);
  // The program where the user may run it, whatever folder the build is in.
  fs::copy_file(VENMARK_SCAN_PATH, folder / "venmark-scan");
  std::ofstream(folder / "base.dat") << old_listing_;
  ASSERT_EQ(::chown((folder / "base.dat").c_str(), 0, 3000), 0);
  ::chmod((folder / "base.dat").c_str(), 0644);
  {
    std::lock_guard lock(mutex_);
    body_ = venmark::MakeListing(20, "New");
  }
  const std::string command =
      "cd '" + folder.string() + "' && env VENMARK_IEEE_ORIGIN=" +
      "http://mirror.invalid http_proxy=" + server_.Url("") +
      " no_proxy= NO_PROXY= ASAN_OPTIONS=detect_leaks=0 setpriv --reuid=1000 "
      "--regid=1000 --clear-groups ./venmark-scan --update 2> '" +
      (dir_ / "stderr.txt").string() + "'";
  const int raw = std::system(command.c_str());
  const std::string err = ReadFile("stderr.txt");
  fs::remove_all(folder);
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << err;
  EXPECT_NE(err.find("venmark-scan: «" + (folder / "base.dat").string() +
                     "» теперь принадлежит вашей группе"),
            std::string::npos)
      << err;
}

TEST_F(ScanUpdateTest, FailsWithoutTouchingTheDatabase) {
  const ScanResult run = Update(418, "<html>Request Rejected</html>");
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.err.find("venmark-scan: не удалось обновить базу: сервер "
                         "ответил HTTP 418\n"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(ReadFile("base.dat") == old_listing_);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()),
                          fs::directory_iterator()),
            4);  // base.dat and the three files of the run
  EXPECT_EQ(Update(200, "", "--update extra.txt").status, 1);
}

// An update against a server that stalls after its first line, stopped by
// a signal while it waits.
TEST_F(ScanUpdateTest, SignalsCancelTheUpdateCleanly) {
  venmark::StalledServer stalled(R"(.*/oui\.txt)",
                                 std::chrono::milliseconds(10000));
  fs::create_directory(dir_ / "sub");
  Write("sub/base.dat", old_listing_);
  // The last round starts as nohup does, SIGHUP ignored: it stays so.
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, 0}) {
    SCOPED_TRACE(signal_number);
    const bool nohup = signal_number == 0;
    stalled.Forget();
    // Runs venmark-scan --update --db sub/base.dat in the test folder.
    const std::string listing = "--db=sub/base.dat";
    const std::string origin = "VENMARK_IEEE_ORIGIN=http://mirror.invalid";
    const std::string proxy = "http_proxy=" + stalled.Url("");
    const std::string program = VENMARK_SCAN_PATH;
    char* const argv[] = {const_cast<char*>(program.c_str()),
                          const_cast<char*>("--update"),
                          const_cast<char*>(listing.c_str()), nullptr};
    char* const envp[] = {const_cast<char*>(origin.c_str()),
                          const_cast<char*>(proxy.c_str()), nullptr};
    const std::string folder = dir_.path().string();
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (nohup) std::signal(SIGHUP, SIG_IGN);
      if (::chdir(folder.c_str()) != 0) ::_exit(127);
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 2);
      ::execve(argv[0], argv, envp);
      ::_exit(127);
    }
    for (int i = 0; i < 2000 && !stalled.requested(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(stalled.requested()) << "venmark-scan never asked";
    // The download waits beside --db, not in the current folder.
    int temp_files = 0;
    for (int i = 0; i < 2000 && temp_files == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      for (const auto& entry : fs::directory_iterator(dir_ / "sub")) {
        temp_files +=
            entry.path().filename().string().starts_with("base.dat.new-");
      }
    }
    EXPECT_EQ(temp_files, 1);
    if (nohup) {
      // The handlers are in place by now: SIGHUP is still ignored.
      std::ifstream status_file("/proc/" + std::to_string(pid) + "/status");
      std::string line;
      unsigned long long ignored = 0;
      while (std::getline(status_file, line)) {
        if (line.starts_with("SigIgn:")) {
          ignored = std::stoull(line.substr(7), nullptr, 16);
        }
      }
      EXPECT_TRUE(ignored & (1ULL << (SIGHUP - 1)));
    }
    const int sent = nohup ? SIGTERM : signal_number;
    ::kill(pid, sent);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + sent);
    EXPECT_TRUE(ReadFile("sub/base.dat") == old_listing_);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "sub"),
                            fs::directory_iterator()),
              1);
  }
}

// The help names each exit status as the program gives it.
TEST_F(ScanCommandTest, PrintsUsage) {
  const ScanResult run = Scan("--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.out.starts_with("Использование: venmark-scan")) << run.out;
  const struct {
    int status;
    const char* meaning;
  } statuses[] = {
      {venmark::kExitOk, "поиск или обновление выполнены"},
      {venmark::kExitUsage, "ошибка в"},
      {venmark::kExitNoListing, "не читается список производителей"},
      {venmark::kExitUpdateFailed, "обновить списки не удалось"},
      {128 + SIGINT, "Ctrl+C"},
      {128 + SIGTERM, "SIGTERM"},
  };
  for (const auto& c : statuses) {
    EXPECT_NE(run.out.find(std::to_string(c.status) + " — " + c.meaning),
              std::string::npos)
        << c.status;
  }
}

}  // namespace

namespace {

// A listing of many records, 00-50-56 named by `name`, large enough that a
// writer takes a while over it.
std::string BigListing(const std::string& name) {
  std::string text = venmark::MakeListing(3000, "Filler");
  return text + "00-50-56   (hex)\t\t" + name + "\r\n005056     (base 16)\t\t" +
         name + "\r\n\r\n";
}

}  // namespace

// Whatever happens to base.dat while a scan reads a pipe (rewritten in
// place at once or in pieces with pauses, cut to nothing, replaced by a
// rename, the scan stopped meanwhile, started with the signals a lease
// once used blocked, or with few descriptors), every answer comes from
// one whole version: the old name or the new, never a mix, nothing, or
// garbage; and nobody writing the listing waits for the scan.
TEST_F(ScanCommandTest, EveryAnswerComesFromOneWholeListing) {
  enum class Change {
    kInPlace,
    kInPieces,
    kTruncated,
    kRenamed,
    kWhileStopped
  };
  const struct {
    const char* what;
    Change change;
    bool block_signals;
    int descriptors;  // RLIMIT_NOFILE; 0: as it is
  } cases[] = {
      {"in place", Change::kInPlace, false, 0},
      {"in pieces", Change::kInPieces, false, 0},
      {"truncated", Change::kTruncated, false, 0},
      {"renamed", Change::kRenamed, false, 0},
      {"while stopped", Change::kWhileStopped, false, 0},
      {"signals blocked", Change::kInPlace, true, 0},
      {"few descriptors", Change::kInPlace, false, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Write("base.dat", BigListing("Old Maker"));
    PipeScan scan(dir_.path().string(), [&] {
      if (c.block_signals) {
        sigset_t blocked;
        sigemptyset(&blocked);
        sigaddset(&blocked, SIGIO);
        for (int s = SIGRTMIN; s <= SIGRTMAX; ++s) sigaddset(&blocked, s);
        ::sigprocmask(SIG_BLOCK, &blocked, nullptr);
      }
      if (c.descriptors > 0) {
        // Only the standard three open, and room for few more.
        ::close_range(3, ~0U, 0);
        const rlimit few{static_cast<rlim_t>(c.descriptors),
                         static_cast<rlim_t>(c.descriptors)};
        ::setrlimit(RLIMIT_NOFILE, &few);
      }
    });
    const auto answer = [&] {
      return scan.Answer("DHCPACK to 00:50:56:00:00:02 via eth1\n");
    };
    const std::string old_line = "00:50:56:00:00:02 - Old Maker\n";
    const std::string new_line = "00:50:56:00:00:02 - New Maker\n";
    EXPECT_EQ(answer(), old_line);
    const std::string fresh = BigListing("New Maker");
    const auto writing_started = std::chrono::steady_clock::now();
    switch (c.change) {
      case Change::kInPlace:
        Write("base.dat", fresh);
        break;
      case Change::kInPieces: {
        // Half, then answers while the writer pauses longer than the scan
        // waits for a file to settle, then the rest.
        std::ofstream file(dir_ / "base.dat", std::ios::binary);
        file << fresh.substr(0, fresh.size() / 2) << std::flush;
        const auto paused = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() - paused <
               std::chrono::milliseconds(1500)) {
          ASSERT_EQ(answer(), old_line);
        }
        file << fresh.substr(fresh.size() / 2);
        break;
      }
      case Change::kTruncated:
        fs::resize_file(dir_ / "base.dat", 0);
        for (int i = 0; i < 8; ++i) EXPECT_EQ(answer(), old_line);
        Write("base.dat", fresh);
        break;
      case Change::kRenamed:
        Write("new.dat", fresh);
        fs::rename(dir_ / "new.dat", dir_ / "base.dat");
        break;
      case Change::kWhileStopped:
        ::kill(scan.pid(), SIGSTOP);
        Write("base.dat", fresh);
        ::kill(scan.pid(), SIGCONT);
        break;
    }
    // Nobody who writes the listing waits for the scan (a lease held the
    // writer up to the kernel's 45 s).
    EXPECT_LT(std::chrono::steady_clock::now() - writing_started,
              std::chrono::seconds(20));
    AnswersOnceTakenUp(&scan, "DHCPACK to 00:50:56:00:00:02 via eth1\n",
                       old_line, new_line);
    const int status = scan.Finish();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
}
