#include "tests/sim/direct_cable.h"

#include <termios.h>

namespace zv::sim {

namespace {

constexpr milliseconds kReadBound{20};

}  // namespace

int LineBaud(int master_fd) {
  termios tio{};
  if (master_fd < 0 || ::tcgetattr(master_fd, &tio) != 0) return 0;
  switch (::cfgetospeed(&tio)) {
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    default: return 0;
  }
}

void DirectCable::Start() {
  thread_.Start(
      [this](const std::atomic<bool>& stop) {
        const ByteWriter write = [this](const Bytes& bytes) { return line_.Write(bytes); };
        bool was_open = false;
        while (!stop.load()) {
          if (pull_.load() && !pulled_.load()) {
            line_.CloseMaster();
            pulled_.store(true);
          }
          if (pulled_.load()) {
            std::this_thread::sleep_for(kReadBound);
            continue;
          }
          const Bytes in = line_.ReadSome(4096, kReadBound);
          if (in.empty()) {
            const bool open = line_.PeerOpen();
            if (was_open && !open) heat_.Reset();
            was_open = open;
            continue;
          }
          was_open = true;
          {
            std::lock_guard<std::mutex> lock(mutex_);
            received_.insert(received_.end(), in.begin(), in.end());
          }
          const int baud = LineBaud(line_.master_fd());
          for (const Reply& reply : heat_.ReceiveAt(in, baud)) {
            if (reply.Silent()) continue;
            if (LineBaud(line_.master_fd()) != baud) continue;  // the port would not understand it
            if (!PlayReply(reply, write, stop)) break;
          }
        }
      },
      &line_);
}

}  // namespace zv::sim
