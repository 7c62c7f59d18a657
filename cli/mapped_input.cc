#include "cli/mapped_input.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdint>
#include <utility>

namespace venmark {
#ifndef _WIN32
namespace {

// The mapping SIGBUS may come from, and what handled SIGBUS before.
const char* volatile mapped_begin = nullptr;
volatile std::size_t mapped_size = 0;
struct sigaction previous_bus {};
// The mapped file, and whether a page it still reached could not be read.
volatile int mapped_fd = -1;
volatile sig_atomic_t unreadable = 0;
// Asked before, as the handler keeps to system calls.
volatile std::size_t page_size = 4096;

// A page of the mapping that faulted is replaced by a page of zeros, and
// the read is tried again. Where the file no longer reached the page it
// was cut short (its writer may go on and make it longer again): it reads
// as ended. Where it still did, the page could not be read. A SIGBUS from
// anywhere else is what it was before.
void OnBusError(int signal_number, siginfo_t* info, void* context) {
  const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
  const auto begin = reinterpret_cast<std::uintptr_t>(mapped_begin);
  if (begin != 0 && at >= begin && at - begin < mapped_size) {
    const std::uintptr_t page = page_size;
    const std::uintptr_t start = at - at % page;
    MappedInput::NoteFault(start - begin);
    if (::mmap(reinterpret_cast<void*>(start), page, PROT_READ,
               MAP_PRIVATE | MAP_FIXED | MAP_ANONYMOUS, -1,
               0) != MAP_FAILED) {
      return;
    }
  }
  if (previous_bus.sa_flags & SA_SIGINFO) {
    previous_bus.sa_sigaction(signal_number, info, context);
    return;
  }
  ::sigaction(SIGBUS, &previous_bus, nullptr);
  ::raise(SIGBUS);
}

}  // namespace

void MappedInput::NoteFault(std::size_t page_start) {
  // fstat is safe in a signal handler.
  struct stat status {};
  if (::fstat(mapped_fd, &status) != 0 ||
      static_cast<std::uintmax_t>(status.st_size) > page_start) {
    unreadable = 1;
  }
}

std::optional<MappedInput> MappedInput::Map(int fd) {
  struct stat status {};
  if (mapped_begin != nullptr || ::fstat(fd, &status) != 0 ||
      !S_ISREG(status.st_mode) || status.st_size <= 0 ||
      ::lseek(fd, 0, SEEK_CUR) != 0 ||
      static_cast<std::uintmax_t>(status.st_size) > SIZE_MAX) {
    return std::nullopt;
  }
  const auto size = static_cast<std::size_t>(status.st_size);
  void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (data == MAP_FAILED) return std::nullopt;
  // Read once, front to back: the pages behind may go early.
  ::madvise(data, size, MADV_SEQUENTIAL);
  struct sigaction action {};
  action.sa_sigaction = OnBusError;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  mapped_size = size;
  mapped_fd = fd;
  unreadable = 0;
  page_size = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  mapped_begin = static_cast<const char*>(data);
  ::sigaction(SIGBUS, &action, &previous_bus);
  return MappedInput(fd, static_cast<const char*>(data), size);
}

int MappedInput::ReadError() const { return unreadable != 0 ? EIO : 0; }

MappedInput::~MappedInput() {
  if (data_ == nullptr) return;
  ::sigaction(SIGBUS, &previous_bus, nullptr);
  mapped_begin = nullptr;
  mapped_size = 0;
  mapped_fd = -1;
  ::munmap(const_cast<char*>(data_), size_);
}

#else

std::optional<MappedInput> MappedInput::Map(int) { return std::nullopt; }

void MappedInput::NoteFault(std::size_t) {}

int MappedInput::ReadError() const { return 0; }

MappedInput::~MappedInput() = default;

#endif

MappedInput::MappedInput(int fd, const char* data, std::size_t size)
    : fd_(fd), data_(data), size_(size) {}

MappedInput::MappedInput(MappedInput&& other) noexcept
    : fd_(other.fd_),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

}  // namespace venmark
