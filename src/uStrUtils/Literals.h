#pragma once
// The program's own texts that meet journal bytes, in Windows-1251.
#include <string>

namespace vantorel {

struct Literals {
  std::string allGroups;        // "Все группы"
  std::string allNodes;         // "Все устройства"
  std::string allPorts;         // "Все платы/порты"
  std::string allParams;        // "Все параметры"
  std::string allUsers;         // "Все пользователи"
  std::string allActions;       // "Все действия"
  std::string toReserve;        // "Переход на резерв"
  std::string clockMismatch;    // "Рассхождение в системном времени"
  std::string normal;           // "Норма"
  std::string linkRestored;     // "Связь с устройством восстановлена"
  std::string internetRestored; // "Интернет-соединение восстановлено"
  std::string journalColumn;    // "Журнал", the title of the column of merged journals' names
};

// Built once, on first use.
const Literals& Cp1251Literals();

}  // namespace vantorel
