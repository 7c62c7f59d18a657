#include "listings/leased_file.h"

#include <utility>

#ifdef __linux__
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <thread>
#endif

namespace venmark {
#ifdef __linux__
namespace {

// What a slot of the table is doing. The handler copies only a kLeased
// slot, and nobody but the handler touches a kCopying one.
enum State : int { kFree, kSetting, kLeased, kCopying, kCopied };

// What the handler needs of one mapping, kept apart from the LeasedFile
// object, which moves.
struct Slot {
  std::atomic<int> state{kFree};
  std::atomic<int> fd{-1};
  std::atomic<char*> data{nullptr};
  std::atomic<std::size_t> size{0};
};
static_assert(std::atomic<int>::is_always_lock_free &&
              std::atomic<char*>::is_always_lock_free &&
              std::atomic<std::size_t>::is_always_lock_free);

// A process holds a handful of listings at a time (four, and four more
// while new ones are checked); past this many they are read instead.
std::array<Slot, 32> slots;

// Reads the leased file into anonymous memory, moves that over the
// mapping, and lets the lease go. The writer is held until then, so the
// file still holds what was mapped, and a reader on another thread sees the
// same bytes before and after. The copy is read with pread, not from the
// mapping: should the kernel have broken the lease itself (a process
// stopped for longer than /proc/sys/fs/lease-break-time), a file cut
// short meanwhile reads short instead of raising SIGBUS. System calls
// only: this runs in a signal handler.
void Keep(Slot& slot) {
  const int fd = slot.fd.load();
  char* const data = slot.data.load();
  const std::size_t size = slot.size.load();
  void* copy = ::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (copy != MAP_FAILED) {
    std::size_t done = 0;
    while (done < size) {
      const ssize_t got =
          ::pread(fd, static_cast<char*>(copy) + done, size - done,
                  static_cast<off_t>(done));
      if (got <= 0) break;  // cut short: the kernel broke the lease itself
      done += static_cast<std::size_t>(got);
    }
    ::mprotect(copy, size, PROT_READ);
    if (::mremap(copy, size, size, MREMAP_MAYMOVE | MREMAP_FIXED, data) ==
        MAP_FAILED) {
      ::munmap(copy, size);
    }
  }
  ::fcntl(fd, F_SETLEASE, F_UNLCK);
}

// Keeps the slot's bytes unless the handler, or a thread that came first,
// did already.
void KeepOnce(Slot& slot) {
  int leased = kLeased;
  if (slot.state.compare_exchange_strong(leased, kCopying)) {
    Keep(slot);
    slot.state.store(kCopied);
  }
}

// Somebody opened a leased file to write or cut it.
void OnLeaseBreak(int, siginfo_t* info, void*) {
  if (info->si_code != POLL_MSG) return;  // sent by a program, not a break
  const int saved = errno;
  for (Slot& slot : slots) {
    if (slot.fd.load() == info->si_fd) KeepOnce(slot);
  }
  errno = saved;
}

// Sets the handler up, unless the signal serves something else already.
bool HandleBreaks() {
  const int signal_number = LeasedFile::BreakSignal();
  struct sigaction before {};
  if (::sigaction(signal_number, nullptr, &before) != 0 ||
      (before.sa_flags & SA_SIGINFO) != 0 || before.sa_handler != SIG_DFL) {
    return false;
  }
  struct sigaction action {};
  action.sa_sigaction = OnLeaseBreak;
  action.sa_flags = SA_SIGINFO | SA_RESTART;
  sigemptyset(&action.sa_mask);
  return ::sigaction(signal_number, &action, nullptr) == 0;
}

// A free slot, now kSetting, or -1.
int ClaimSlot() {
  for (std::size_t i = 0; i < slots.size(); ++i) {
    int empty = kFree;
    if (slots[i].state.compare_exchange_strong(empty, kSetting)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

// Gives slot back, its file closed, which ends a lease on it.
void Release(Slot& slot) {
  ::close(slot.fd.exchange(-1));
  slot.state.store(kFree);
}

}  // namespace

std::optional<LeasedFile> LeasedFile::Map(const std::string& path,
                                          std::size_t max_size) {
  static const bool handled = HandleBreaks();
  if (!handled) return std::nullopt;
  // Not blocking: a FIFO put where a listing was is not waited on.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  // Held open for as long as the listing is: never as standard input,
  // output or error, which a program started with them closed is yet to
  // find closed.
  if (fd <= STDERR_FILENO) {
    const int high = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    ::close(fd);
    if (high < 0) return std::nullopt;
    fd = high;
  }
  const int index = ClaimSlot();
  if (index < 0) {
    ::close(fd);
    return std::nullopt;
  }
  Slot& slot = slots[static_cast<std::size_t>(index)];
  slot.fd.store(fd);
  // The size is asked once the lease holds: a write that came before it
  // is in the file, and none comes after it unheld.
  struct stat status {};
  if (::fcntl(fd, F_SETSIG, BreakSignal()) != 0 ||
      ::fcntl(fd, F_SETLEASE, F_RDLCK) != 0 || ::fstat(fd, &status) != 0 ||
      !S_ISREG(status.st_mode) || status.st_size <= 0 ||
      static_cast<std::uintmax_t>(status.st_size) > max_size) {
    Release(slot);
    return std::nullopt;
  }
  const auto size = static_cast<std::size_t>(status.st_size);
  void* data = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
  if (data == MAP_FAILED) {
    Release(slot);
    return std::nullopt;
  }
  slot.data.store(static_cast<char*>(data));
  slot.size.store(size);
  slot.state.store(kLeased);
  // A writer that came before the slot was ready found nothing to copy
  // and still waits: the break shows as a lease that must go.
  if (::fcntl(fd, F_GETLEASE) != F_RDLCK) KeepOnce(slot);
  return LeasedFile(index, static_cast<const char*>(data), size);
}

int LeasedFile::BreakSignal() { return SIGRTMIN + 6; }

bool LeasedFile::shared() const {
  return slot_ >= 0 &&
         slots[static_cast<std::size_t>(slot_)].state.load() == kLeased;
}

LeasedFile::~LeasedFile() {
  if (slot_ < 0) return;
  Slot& slot = slots[static_cast<std::size_t>(slot_)];
  // A copy the handler makes on another thread is waited out; from
  // kSetting on, the handler leaves the slot alone.
  for (;;) {
    int state = slot.state.load();
    if (state == kCopying) {
      std::this_thread::yield();
    } else if (slot.state.compare_exchange_weak(state, kSetting)) {
      break;
    }
  }
  ::munmap(const_cast<char*>(data_), size_);
  Release(slot);
}

#else

std::optional<LeasedFile> LeasedFile::Map(const std::string&, std::size_t) {
  return std::nullopt;
}

int LeasedFile::BreakSignal() { return 0; }

bool LeasedFile::shared() const { return false; }

LeasedFile::~LeasedFile() = default;

#endif

LeasedFile::LeasedFile(LeasedFile&& other) noexcept
    : slot_(std::exchange(other.slot_, -1)),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

LeasedFile& LeasedFile::operator=(LeasedFile&& other) noexcept {
  if (this != &other) {
    LeasedFile gone(std::move(*this));
    slot_ = std::exchange(other.slot_, -1);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

}  // namespace venmark
