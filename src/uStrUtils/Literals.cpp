#include "uStrUtils/Literals.h"

#include "uStrUtils/Cp1251.h"

namespace vantorel {

const Literals& Cp1251Literals() {
  static const Literals literals{
      Utf8ToCp1251("Все группы"),
      Utf8ToCp1251("Все устройства"),
      Utf8ToCp1251("Все платы/порты"),
      Utf8ToCp1251("Все параметры"),
      Utf8ToCp1251("Все пользователи"),
      Utf8ToCp1251("Все действия"),
      Utf8ToCp1251("Переход на резерв"),
      Utf8ToCp1251("Рассхождение в системном времени"),
      Utf8ToCp1251("Норма"),
      Utf8ToCp1251("Связь с устройством восстановлена"),
      Utf8ToCp1251("Интернет-соединение восстановлено"),
      Utf8ToCp1251("Журнал"),
  };
  return literals;
}

}  // namespace vantorel
