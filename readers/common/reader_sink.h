#pragma once
// How a reader's worker reports to its dialog.
//
// Codes of OnLinkEvent: 4 one progress step, 6 a progress range 0..value,
// 7 the end of a job (progress back to 0); the collector program adds 8 to 10
// (row and button updates). Code 5 carries a status text and goes through
// OnLinkText instead.
//
// Implementations are called from the worker thread (and from the dialog's own
// thread): they must be thread-safe, must never block on the dialog, and keep
// their own copy of the text. The dialogs' sink posts an event per report.

#include <cstdint>
#include <string>

namespace zv {

inline constexpr int kLinkEventStep = 4;
inline constexpr int kLinkEventText = 5;
inline constexpr int kLinkEventRange = 6;
inline constexpr int kLinkEventReset = 7;

class ReaderSink {
 public:
  virtual ~ReaderSink() = default;
  virtual void OnLinkEvent(int code, std::int64_t value) = 0;
  virtual void OnLinkText(std::u16string text) = 0;
  // The worker's last report: its link is closed, g_bIdle set, g_bStop clear.
  virtual void OnJobFinished() {}
};

}  // namespace zv
