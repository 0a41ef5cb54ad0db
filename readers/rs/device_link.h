#pragma once
// CDeviceLink: ZEVRS's link to one heat computer cabled to a COM port.
//
// A serial port that also holds a copy of the device memory (the image), the
// last accepted current-data answer, and the device's model and version. The
// worker opens it ("COM" + the Port setting, 9600 baud), agrees the speed
// (InitLink), and reads the parameter area, the current data and the archive
// with the device's own request frame:
//
//   A5 00 command p1 p2 p3 CRC-low CRC-high     (CRC start 1 over bytes 1..5)
//
//   0x06 speed          code, code, 0      answer: one byte 0x06
//   0x01 read memory    address, length    answer: data + CRC (256 sent as 0)
//   0x02 current data   0, 0, 0            answer: 64 or 90 data bytes + CRC
//
// Answers carry no address bytes. Data are copied only after their CRC
// matched; the answer buffer is zeroed before every attempt, so a short answer
// never passes on what an earlier one left behind.
//
// The port: time-outs from the profile ZEVRS/Properties ("RecvTimeout",
// "SendTimeout", default 1000 ms) with 2 ms per byte, failure texts of Open and
// SetBaudRate reported through the sink (code 5), stop flag g_bStop. Attempt
// counts and intervals are read from the same profile section when an
// operation starts; a count below 1 counts as 1. Every pause ends early when
// g_bStop is set, and so does every operation.
//
// I/O goes through LinkRead, LinkWrite and LinkSetBaudRate (the port by
// default), so a test can feed answers without a line.
//
// A link lives on the worker's stack for one job and belongs to that thread.

#include <array>
#include <cstdint>
#include <ctime>
#include <string>

#include "links/clock.h"
#include "links/serial_port.h"
#include "readers/common/reader_sink.h"
#include "readers/common/reader_timing.h"

namespace zv {

// The speed command's code of a baud rate (2400 4, 4800 5, 9600 6, 19200 7,
// anything else 4).
std::uint8_t DirectBaudCode(int baud);
// The model by the type and version bytes: 1 for type 4 or version 3 or 4, else 2.
int DirectModel(std::uint8_t type, std::uint8_t version);
// The end (exclusive) of the archive area of a model and version.
int DirectArchiveEnd(int model, int version);
// Image bytes in ZEVRS's bins file by model and version.
int DirectBinsImageSize(int model, int version);
// Current-data answer length, CRC included: 66 (model 1) or 92 (model 2).
inline int DirectCurrentDataLength(int model) { return model == 1 ? 66 : 92; }

}  // namespace zv

class CDeviceLink : public CSerialPort {
 public:
  static constexpr int kImageSize = 0xFFFF;
  static constexpr int kCurrentDataSize = 128;
  static constexpr int kParameterLength = 192;
  static constexpr std::uint16_t kArchiveStart = 0x100;

  // Commands.
  static constexpr std::uint8_t kCommandReadMemory = 0x01;
  static constexpr std::uint8_t kCommandCurrentData = 0x02;
  static constexpr std::uint8_t kCommandSpeed = 0x06;
  static constexpr std::uint8_t kAcknowledge = 0x06;

  // `sink` (may be null) gets the reports; the clock must outlive the link.
  explicit CDeviceLink(zv::ReaderSink* sink, const zv::DirectLinkTiming& timing = {},
                       const zv::Clock& clock = zv::SystemClock());
  virtual ~CDeviceLink();

  // 32 zero bytes at the port's present speed.
  void SendPreamble();
  // Wakes the device and switches both ends to `baud`.
  bool InitLink(int baud);
  // The parameter area into image[0..191]; sets model and version.
  bool ReadParameters();
  // The current-data block (model and version from ReadParameters).
  bool ReadCurrentData();
  // The archive area into the image.
  bool ReadArchive();
  // The buffer when buffer[n], buffer[n+1] hold the CRC of buffer[0..n-1],
  // else null. The buffer is left as it is.
  const std::uint8_t* CheckReply(const std::uint8_t* buffer, int n) const;
  // The device clock as local time, or 0 when its bytes are not a valid date-time.
  std::time_t GetDeviceTime() const;
  // Writes the bins file into `base`/bins: "bins/%05d_%d-%02d-%02d_%02d-%02d.bin"
  // of the serial number and the clock's local time, holding the current data
  // (without CRC; zeros when not read) and the image from address 0. The file
  // appears whole or not at all (an older one of the name stays). The name
  // relative to `base`, or "" when it could not be written.
  std::string SaveBinFile(const std::string& base) const;

  std::uint8_t* image() { return image_.data(); }
  const std::uint8_t* image() const { return image_.data(); }
  std::uint8_t* current_data() { return current_data_.data(); }
  const std::uint8_t* current_data() const { return current_data_.data(); }
  int model() const { return model_; }
  int version() const { return version_; }
  const zv::DirectLinkTiming& link_timing() const { return timing_; }

 protected:
  virtual int LinkRead(std::uint8_t* buffer, int n);
  virtual int LinkWrite(const std::uint8_t* buffer, int n);
  virtual bool LinkSetBaudRate(int baud);

 private:
  void Event(int code, std::int64_t value);
  void Text(const char16_t* text);
  // A pause that ends early on g_bStop; false when stopped.
  bool Pause(zv::Duration pause);
  // Up to `attempts` tries of: write the request, pause, zero `answer`, read
  // `length` bytes, purge, check the CRC over the first `payload` bytes.
  bool Exchange(const std::uint8_t* request, int request_length, std::uint8_t* answer, int length,
                int payload, int attempts);
  int ProfileInt(const char* name, int def) const;

  std::array<std::uint8_t, kImageSize> image_{};
  std::array<std::uint8_t, kCurrentDataSize> current_data_{};
  int model_ = 0;
  int version_ = 0;

  zv::ReaderSink* sink_;
  zv::DirectLinkTiming timing_;
  const zv::Clock& clock_;
};
