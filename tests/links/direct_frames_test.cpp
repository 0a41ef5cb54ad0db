// The frames of the links that speak the heat computer's own frames directly,
// GSM (CZVGSMLink) and TCP (CZVACLink): their templates, the seal, the answer
// lengths and the answer check, which looks only at the first byte and leaves
// the bytes as they came.

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "links/gsm_link.h"
#include "links/tcp_link.h"
#include "tests/links/link_fixture.h"
#include "tests/sim/heat_computer.h"

namespace {

using zv::sim::Bytes;
using zv::test::Cat;
using zv::test::FrameBytes;

struct DirectLink {
  const char* name;
  std::function<std::unique_ptr<CComLink>()> make;
  std::vector<Bytes> templates;
  int identity_family1;
  int identity_family2;
};

const DirectLink kLinks[] = {
    {"GSM",
     [] { return std::make_unique<CZVGSMLink>(); },
     {{0, 0, 0, 0, 0, 0, 0, 0xA5, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0xA5, 0x00, 0x10, 0x00, 0x00, 0xFF, 0x00, 0x00, 0, 0}},
     64,
     90},
    {"TCP",
     [] { return std::make_unique<CZVACLink>(); },
     {{0, 0, 0, 0, 0, 0, 0, 0xA5, 0x00, 0x02, 0x00, 0x00, 0x00, 0xC8, 0xA8, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0xA5, 0x00, 0x10, 0x00, 0x00, 0x80, 0x00, 0x00, 0, 0}},
     66,
     92},
};

// A block answer: address, 255 data bytes, CRC.
Bytes BlockAnswer(std::uint16_t address, std::uint8_t fill) {
  Bytes answer = {static_cast<std::uint8_t>(address & 0xFF), static_cast<std::uint8_t>(address >> 8)};
  answer.resize(257, fill);
  const std::uint16_t crc = zv::sim::DeviceCrc(answer.data(), answer.size());
  answer.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  answer.push_back(static_cast<std::uint8_t>(crc >> 8));
  return answer;
}

TEST(DirectFrames, TemplatesSealAndAnswerLengths) {
  for (const DirectLink& l : kLinks) {
    SCOPED_TRACE(l.name);
    std::unique_ptr<CComLink> link = l.make();
    zv::test::ExpectTemplates(*link, l.templates);

    // The seal writes the inner CRC behind the frame; the padding stays.
    zv::LinkFrame block = *link->RequestTemplate(zv::kRequestMemoryBlock);
    block[8] = 3;
    block[10] = 0x84;
    block[11] = 0x03;
    block[12] = 0xFF;
    link->SealRequest(block);
    EXPECT_EQ(FrameBytes(block), Cat({Bytes(7, 0), zv::sim::RequestBytes(3, 0x10, 0x0384, 255), Bytes(2, 0)}));
    zv::LinkFrame identity = *link->RequestTemplate(zv::kRequestIdentity);
    link->SealRequest(identity);
    EXPECT_EQ(identity[13], 0xC8);
    EXPECT_EQ(identity[14], 0xA8);

    link->image[0] = 4;  // family 1
    EXPECT_EQ(link->AnswerLength(zv::kRequestIdentity), l.identity_family1);
    link->image[0] = 0;
    link->image[1] = 2;  // family 2
    EXPECT_EQ(link->AnswerLength(zv::kRequestIdentity), l.identity_family2);
    EXPECT_EQ(link->AnswerLength(zv::kRequestMemoryBlock), 255);
    EXPECT_EQ(link->AnswerLength(2), 0);
  }
}

TEST(DirectFrames, AnAnswerMustStartAtTheFirstByteAndIsLeftAsItCame) {
  for (const DirectLink& l : kLinks) {
    SCOPED_TRACE(l.name);
    std::unique_ptr<CComLink> link = l.make();
    Bytes good = BlockAnswer(0x8000, 0x11);
    EXPECT_EQ(link->CheckAnswer(good.data(), 257), good.data());
    Bytes bad = good;
    bad[100] ^= 1;
    const Bytes before = bad;
    EXPECT_EQ(link->CheckAnswer(bad.data(), 257), nullptr);
    EXPECT_EQ(bad, before);  // nothing written: the bytes can still be searched and realigned
    Bytes shifted = Cat({{0x00}, good});
    EXPECT_EQ(link->CheckAnswer(shifted.data(), 257), nullptr);
  }
}

}  // namespace
