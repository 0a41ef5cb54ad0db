#include "links/request_frame.h"

#include "links/crc16.h"

namespace zv {

void SealRequestFrame(std::uint8_t* frame) {
  CCrc16 crc;
  crc.SetStart(CCrc16::kDeviceStart);
  crc.Append(frame + 1, 5);
}

RequestFrame MakeRequestFrame(std::uint8_t device, std::uint8_t command, std::uint16_t address,
                              std::uint8_t length) {
  RequestFrame f{kFrameStart,
                 device,
                 command,
                 static_cast<std::uint8_t>(address & 0xFF),
                 static_cast<std::uint8_t>(address >> 8),
                 length,
                 0,
                 0};
  SealRequestFrame(f.data());
  return f;
}

bool CheckAnswerFrame(std::uint8_t* answer, int payload) {
  CCrc16 crc;
  crc.SetStart(CCrc16::kDeviceStart);
  return crc.Check(answer, payload);
}

bool AnswerFrameIntact(const std::uint8_t* answer, int payload) {
  if (payload < 0) return false;
  CCrc16 crc;
  crc.SetStart(CCrc16::kDeviceStart);
  crc.AddBlock(answer, payload);
  return answer[payload] == crc.Low() && answer[payload + 1] == crc.High();
}

}  // namespace zv
