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
// The lowest offset of the mapping that faulted, or the size: none did.
volatile std::size_t first_fault = 0;
// Asked before, as the handler keeps to system calls.
volatile std::size_t page_size = 4096;

// A page of the mapping the file no longer reaches is replaced by a page
// of zeros, and the read that faulted is tried again. A SIGBUS from
// anywhere else is what it was before.
void OnBusError(int signal_number, siginfo_t* info, void* context) {
  const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
  const auto begin = reinterpret_cast<std::uintptr_t>(mapped_begin);
  if (begin != 0 && at >= begin && at - begin < mapped_size) {
    const std::uintptr_t page = page_size;
    void* start = reinterpret_cast<void*>(at - at % page);
    if (at - begin < first_fault) first_fault = at - begin;
    if (::mmap(start, page, PROT_READ, MAP_PRIVATE | MAP_FIXED | MAP_ANONYMOUS,
               -1, 0) != MAP_FAILED) {
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
  first_fault = size;
  page_size = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  mapped_begin = static_cast<const char*>(data);
  ::sigaction(SIGBUS, &action, &previous_bus);
  return MappedInput(fd, static_cast<const char*>(data), size);
}

int MappedInput::ReadError() const {
  struct stat status {};
  const std::size_t fault = first_fault;
  return fault < size_ && ::fstat(fd_, &status) == 0 &&
                 static_cast<std::uintmax_t>(status.st_size) > fault
             ? EIO
             : 0;
}

MappedInput::~MappedInput() {
  if (data_ == nullptr) return;
  ::sigaction(SIGBUS, &previous_bus, nullptr);
  mapped_begin = nullptr;
  mapped_size = 0;
  ::munmap(const_cast<char*>(data_), size_);
}

#else

std::optional<MappedInput> MappedInput::Map(int) { return std::nullopt; }

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
