#pragma once
// The status of a node of a group: an id of the workstation's string table.
// The poll writes it into the node (CNode::status) and reports it; the status
// view shows its text and colour.

#include <string>

namespace zv::node_status {

inline constexpr int kQueued = 129;            // "В очереди"
inline constexpr int kReading = 130;           // "Считывание..."
inline constexpr int kOpeningPort = 131;       // "Открытие порта..."
inline constexpr int kDialling = 132;          // "Набор номера..."
inline constexpr int kWaitingConnection = 133; // "Ожидание соединения..." (not set by the poll)
inline constexpr int kOk = 134;                // "OK"
inline constexpr int kRead = 135;              // "Считано" (shown in place of OK with the time)
inline constexpr int kBusy = 136;              // "Занято" (not set by the poll)
inline constexpr int kFailure = 137;           // "Сбой"
inline constexpr int kNoAnswer = 138;          // "Нет ответа" (not set by the poll)
inline constexpr int kRetry = 139;             // "Повтор"
inline constexpr int kInitialising = 141;      // "Инициализация..."
inline constexpr int kCancelled = 142;         // "Отменено..."
inline constexpr int kFileNotFound = 143;      // "Файл не найден"
inline constexpr int kNumberMismatch = 144;    // "№ не совпадает" (not set by the poll)
inline constexpr int kRenamed = 145;           // "Название изменено"

// The text of a node status id in Windows-1251; "" for any other id (140 is
// the status pane's text, not a node status).
std::string Text(int id);

}  // namespace zv::node_status
