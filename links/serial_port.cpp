#include "links/serial_port.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "platform/com_ports.h"

namespace {

using Steady = std::chrono::steady_clock;

// termios speed constant of a baud rate; B0 when termios has none.
speed_t SpeedOf(int baud) {
  struct Rate {
    int baud;
    speed_t speed;
  };
  static constexpr Rate kRates[] = {
      {50, B50},         {75, B75},         {110, B110},       {134, B134},         {150, B150},
      {200, B200},       {300, B300},       {600, B600},       {1200, B1200},       {1800, B1800},
      {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},     {38400, B38400},
      {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800},   {500000, B500000},
      {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
      {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
  };
  for (const Rate& r : kRates) {
    if (r.baud == baud) return r.speed;
  }
  return B0;
}

// The time left until `deadline`, at most `slice`, as whole milliseconds
// rounded up (so a wait never ends just before its deadline and loops again).
int WaitMs(Steady::time_point now, Steady::time_point deadline, zv::Duration slice) {
  auto left = std::min<Steady::duration>(deadline - now, slice);
  auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return static_cast<int>(std::max<long long>(ms, 0));
}

}  // namespace

void CSerialPort::CloseDescriptor() {
  // A pseudo-terminal keeps its exclusive flag while its master is open; clear
  // it so that the next Open of the same device is not refused.
  ::ioctl(fd_, TIOCNXCL);
  ::close(fd_);  // also releases the lock
  fd_ = -1;
}

bool CSerialPort::Fail(const char* text) {
  if (fd_ >= 0) CloseDescriptor();
  last_failure_ = text;
  if (reporter_) {
    reporter_(last_failure_);
    clock_->Sleep(timing_.failure_message_pause);
  }
  return false;
}

bool CSerialPort::Open(const std::string& name) {
  Close();
  last_failure_.clear();
  device_ = zv::ResolvePortName(name);
  if (device_.empty()) return Fail("Cannot open port");
  // Non-blocking: every wait is our own poll() with its time-outs.
  fd_ = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) return Fail("Cannot open port");
  // Exclusive use: TIOCEXCL refuses further opens (except to root), the lock
  // refuses a second port object of ours in any case.
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) return Fail("Cannot open port");
  ::ioctl(fd_, TIOCEXCL);

  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) return Fail("Cannot get com state");
  ::cfmakeraw(&tio);
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  // CLOCAL: carrier and DSR do not gate the line; HUPCL: the last close drops DTR.
  tio.c_cflag |= CS8 | CREAD | CLOCAL | HUPCL;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  ::cfsetispeed(&tio, B9600);
  ::cfsetospeed(&tio, B9600);
  if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return Fail("Cannot set com state");

  SetDtr(true);
  SetRts(true);
  return true;
}

void CSerialPort::SetModemLine(int line, bool on) {
  if (fd_ < 0) return;
  // Pseudo-terminals and some adapters have no modem lines (ENOTTY, EINVAL);
  // like the line-control calls elsewhere the result is not used.
  ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line);
}

void CSerialPort::SetDtr(bool on) { SetModemLine(TIOCM_DTR, on); }
void CSerialPort::SetRts(bool on) { SetModemLine(TIOCM_RTS, on); }

int CSerialPort::Read(void* buffer, int n) {
  if (fd_ < 0 || buffer == nullptr || n <= 0) return 0;
  auto* out = static_cast<std::uint8_t*>(buffer);
  const auto start = Steady::now();
  const auto total_deadline = start + timing_.read_total_per_byte * n + timing_.read_total_constant;
  auto deadline = total_deadline;  // shortened by the gap timer once bytes come
  int got = 0;
  while (got < n) {
    if (Stopped()) return 0;
    const auto now = Steady::now();
    if (now >= deadline) break;
    pollfd pfd{fd_, POLLIN, 0};
    const int wait = WaitMs(now, deadline, timing_.read_slice);
    const int ready = ::poll(&pfd, 1, wait);
    if (ready == 0 || (ready < 0 && errno == EINTR)) continue;
    if (ready > 0 && (pfd.revents & POLLIN)) {
      const ssize_t k = ::read(fd_, out + got, static_cast<size_t>(n - got));
      if (k > 0) {
        got += static_cast<int>(k);
        deadline = std::min(total_deadline, Steady::now() + timing_.read_interval);
        continue;
      }
      if (k < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    }
    // Hung up (EIO, end of file, POLLHUP) or the descriptor failed: nothing can
    // come now, so wait the slice out as on a silent line.
    std::this_thread::sleep_for(std::chrono::milliseconds(std::max(wait, 1)));
  }
  return got;
}

int CSerialPort::Write(const void* buffer, int n) {
  if (fd_ < 0 || buffer == nullptr || n <= 0) return 0;
  const auto* in = static_cast<const std::uint8_t*>(buffer);
  const auto deadline = Steady::now() + timing_.write_total_per_byte * n + timing_.write_total_constant;
  int put = 0;
  while (put < n) {
    if (Stopped()) return 0;
    const ssize_t k = ::write(fd_, in + put, static_cast<size_t>(n - put));
    if (k > 0) {
      put += static_cast<int>(k);
      continue;
    }
    if (k < 0 && errno == EINTR) continue;
    if (k < 0 && errno != EAGAIN) break;  // the line is gone: report what was written
    // The output queue is full: wait for room, a slice at a time.
    const auto now = Steady::now();
    if (now >= deadline) break;
    pollfd pfd{fd_, POLLOUT, 0};
    const int wait = WaitMs(now, deadline, timing_.write_slice);
    const int ready = ::poll(&pfd, 1, wait);
    if (ready > 0 && !(pfd.revents & POLLOUT)) break;  // hung up
  }
  return put;
}

void CSerialPort::Purge() {
  if (fd_ >= 0) ::tcflush(fd_, TCIOFLUSH);
}

void CSerialPort::PurgeInput() {
  if (fd_ >= 0) ::tcflush(fd_, TCIFLUSH);
}

void CSerialPort::Close() {
  if (fd_ < 0) return;
  Purge();
  CloseDescriptor();
}

bool CSerialPort::SetBaudRate(int baud) {
  clock_->Sleep(timing_.baud_change_pause);
  termios tio{};
  if (fd_ < 0 || ::tcgetattr(fd_, &tio) != 0) return Fail("Cannot get com state SS");
  const speed_t speed = SpeedOf(baud);
  if (speed == B0 || ::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0 ||
      ::tcsetattr(fd_, TCSANOW, &tio) != 0) {
    return Fail("Cannot set com state SS");
  }
  clock_->Sleep(timing_.baud_change_pause);
  return true;
}
