#include "tests/sim/modem_sim.h"

#include <cctype>
#include <thread>

namespace zv::sim {

namespace {

constexpr milliseconds kReadBound{20};
constexpr size_t kMaxLine = 256;  // longer lines are cut (binary data after a lost carrier)

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  size_t i = 0;
  for (; prefix[i] != '\0'; ++i) {
    if (i >= text.size() || std::toupper(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

const char* DialText(ModemSimulator::DialAnswer answer) {
  using A = ModemSimulator::DialAnswer;
  switch (answer) {
    case A::kConnect: return "CONNECT 9600";
    case A::kBusy: return "BUSY";
    case A::kNoDialtone: return "NO DIALTONE";
    case A::kNoAnswer: return "NO ANSWER";
    case A::kNoCarrier: return "NO CARRIER";
    case A::kOk: return "OK";
    case A::kSilence: return nullptr;
  }
  return nullptr;
}

}  // namespace

void ModemSimulator::SetEcho(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  echo_ = on;
}

void ModemSimulator::SetCommandAnswer(const std::string& command, CommandAnswer answer) {
  std::lock_guard<std::mutex> lock(mutex_);
  command_answers_[command] = answer;
}

void ModemSimulator::SetDialAnswer(DialAnswer answer) {
  std::lock_guard<std::mutex> lock(mutex_);
  dial_answer_ = answer;
}

void ModemSimulator::SetConnectDelay(milliseconds delay) {
  std::lock_guard<std::mutex> lock(mutex_);
  connect_delay_ = delay;
}

void ModemSimulator::SetPeer(DataPeer* peer) {
  std::lock_guard<std::mutex> lock(mutex_);
  peer_ = peer;
}

void ModemSimulator::SetCarrierLossAfter(size_t requests) {
  std::lock_guard<std::mutex> lock(mutex_);
  carrier_loss_after_ = requests;
}

std::vector<std::string> ModemSimulator::commands() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return commands_;
}

std::vector<ModemSimulator::Dial> ModemSimulator::dials() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return dials_;
}

bool ModemSimulator::WaitForCommands(size_t n, milliseconds bound) const {
  return WaitUntil([&] { return commands().size() >= n; }, bound);
}

bool ModemSimulator::WaitForHangups(int n, milliseconds bound) const {
  return WaitUntil([&] { return hangups() >= n; }, bound);
}

void ModemSimulator::Start() {
  thread_.Start([this](const std::atomic<bool>& stop) { Run(stop); }, &line_);
}

void ModemSimulator::Say(const char* text) {
  line_.Write(std::string("\r\n") + text + "\r\n");
}

void ModemSimulator::Run(const std::atomic<bool>& stop) {
  std::string text;
  while (!stop.load()) {
    const Bytes in = line_.ReadSome(4096, kReadBound);
    if (in.empty()) {
      if (in_call_.load() && !line_.PeerOpen()) EndCall();  // the port dropped the line
      continue;
    }
    bool echo;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      echo = echo_;
    }
    std::string echoed;
    for (size_t i = 0; i < in.size(); ++i) {
      if (in_call_.load()) {
        Data(Bytes(in.begin() + static_cast<long>(i), in.end()), stop);
        break;
      }
      const char c = static_cast<char>(in[i]);
      echoed += c;
      if (c == '\r') {
        if (echo) line_.Write(echoed);
        echoed.clear();
        Command(text, stop);
        text.clear();
      } else if (c != '\n' && text.size() < kMaxLine) {
        text += c;
      }
    }
    if (echo && !echoed.empty()) line_.Write(echoed);
  }
}

void ModemSimulator::Command(const std::string& text, const std::atomic<bool>& stop) {
  if (!StartsWithNoCase(text, "AT")) return;
  CommandAnswer answer = CommandAnswer::kOk;
  DialAnswer dial_answer;
  milliseconds delay;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    commands_.push_back(text);
    const auto found = command_answers_.find(text);
    if (found != command_answers_.end()) answer = found->second;
    dial_answer = dial_answer_;
    delay = connect_delay_;
    if (StartsWithNoCase(text, "ATD")) {
      Dial dial;
      size_t at = 3;
      if (at < text.size()) {
        const char mode = static_cast<char>(std::toupper(static_cast<unsigned char>(text[at])));
        if (mode == 'T' || mode == 'P') {
          dial.mode = mode;
          ++at;
        }
      }
      dial.number = text.substr(at);
      dials_.push_back(dial);
    } else {
      if (answer == CommandAnswer::kOk) Say("OK");
      if (answer == CommandAnswer::kError) Say("ERROR");
      return;
    }
  }
  // The dial: the modem takes its time, then tells how the call went.
  const auto end = std::chrono::steady_clock::now() + delay;
  while (std::chrono::steady_clock::now() < end) {
    if (stop.load()) return;
    std::this_thread::sleep_for(milliseconds(2));
  }
  // The state changes before the text goes out, so whoever reads the text sees it.
  if (dial_answer == DialAnswer::kConnect) {
    call_requests_ = 0;
    in_call_.store(true);
  }
  if (const char* reply = DialText(dial_answer)) Say(reply);
}

void ModemSimulator::Data(const Bytes& in, const std::atomic<bool>& stop) {
  DataPeer* peer;
  size_t loss_after;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    peer = peer_;
    loss_after = carrier_loss_after_;
  }
  if (peer == nullptr) return;
  const ByteWriter write = [this](const Bytes& bytes) { return line_.Write(bytes); };
  for (const Reply& reply : peer->Receive(in)) {
    if (!PlayReply(reply, write, stop)) return;
    ++call_requests_;
    if (loss_after > 0 && call_requests_ >= loss_after) {
      EndCall();
      Say("NO CARRIER");
      return;
    }
  }
}

void ModemSimulator::EndCall() {
  in_call_.store(false);
  ++hangups_;
  DataPeer* peer;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    peer = peer_;
  }
  if (peer != nullptr) peer->Reset();
}

}  // namespace zv::sim
