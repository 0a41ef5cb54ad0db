#include "links/node_status.h"

#include "platform/cp1251.h"

namespace zv::node_status {

std::string Text(int id) {
  switch (id) {
    case kQueued: return W1251("В очереди");
    case kReading: return W1251("Считывание...");
    case kOpeningPort: return W1251("Открытие порта...");
    case kDialling: return W1251("Набор номера...");
    case kWaitingConnection: return W1251("Ожидание соединения...");
    case kOk: return "OK";
    case kRead: return W1251("Считано");
    case kBusy: return W1251("Занято");
    case kFailure: return W1251("Сбой");
    case kNoAnswer: return W1251("Нет ответа");
    case kRetry: return W1251("Повтор");
    case kInitialising: return W1251("Инициализация...");
    case kCancelled: return W1251("Отменено...");
    case kFileNotFound: return W1251("Файл не найден");
    case kNumberMismatch: return W1251("№ не совпадает");
    case kRenamed: return W1251("Название изменено");
    default: return std::string();
  }
}

}  // namespace zv::node_status
