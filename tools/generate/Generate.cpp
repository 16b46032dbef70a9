#include "generate/Generate.h"

#include <algorithm>
#include <string>
#include <vector>

#include "uStrUtils/Cp1251.h"
#include "uStrUtils/Literals.h"

namespace vantorel {
namespace {

constexpr size_t kFlushAt = size_t{1} << 20;
constexpr int64_t kMsPerDayInt = 86400000;
// 25 November 2013, as a day number.
constexpr int64_t kFirstDay = 41603;

// splitmix64: small, fast, and the same on every platform.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0 .. n - 1.
  size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }
  // True with the chance of `percent` in a hundred.
  bool Chance(unsigned percent) { return Below(100) < percent; }

 private:
  uint64_t state_;
};

std::vector<std::string> Cp1251All(std::initializer_list<const char*> utf8) {
  std::vector<std::string> out;
  for (const char* text : utf8) out.push_back(Utf8ToCp1251(text));
  return out;
}

void AppendInt(std::string& out, int64_t value, int minDigits = 1) {
  char digits[24];
  int n = 0;
  const bool negative = value < 0;
  uint64_t v = negative ? static_cast<uint64_t>(-value) : static_cast<uint64_t>(value);
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  if (negative) out.push_back('-');
  for (int i = n; i < minDigits; ++i) out.push_back('0');
  while (n > 0) out.push_back(digits[--n]);
}

struct CivilDate {
  int year, month, day;
};

// The calendar date of a day number (days since 30 December 1899).
CivilDate DateOfDay(int64_t dayNumber) {
  // Days since 1 March of year 0 of the proleptic Gregorian calendar.
  const int64_t z = dayNumber + 693899;
  const int64_t era = z / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
  return {year, month, day};
}

void AppendDateTime(std::string& out, int64_t ms, DateStyle style) {
  const CivilDate d = DateOfDay(kFirstDay + ms / kMsPerDayInt);
  const int64_t seconds = ms % kMsPerDayInt / 1000;
  const int hour = static_cast<int>(seconds / 3600), minute = static_cast<int>(seconds / 60 % 60),
            second = static_cast<int>(seconds % 60);
  if (style == DateStyle::Russian) {
    AppendInt(out, d.day, 2);
    out.push_back('.');
    AppendInt(out, d.month, 2);
    out.push_back('.');
    AppendInt(out, d.year, 4);
    out.push_back(' ');
    AppendInt(out, hour, 2);
  } else {
    AppendInt(out, d.month);
    out.push_back('/');
    AppendInt(out, d.day);
    out.push_back('/');
    AppendInt(out, d.year % 100, 2);
    out.push_back(' ');
    AppendInt(out, hour % 12 == 0 ? 12 : hour % 12);
  }
  out.push_back(':');
  AppendInt(out, minute, 2);
  out.push_back(':');
  AppendInt(out, second, 2);
  if (style == DateStyle::StandIn) out += hour < 12 ? " am" : " pm";
}

// The names a supervised network is made of.
class Network {
 public:
  explicit Network(Random& random) {
    const std::vector<std::string> regions =
        Cp1251All({"Север", "Юг", "Восток", "Запад", "Центр", "Урал", "Волга", "Сибирь", "Приморье", "Кавказ",
                   "Балтика", "Заречье"});
    const std::vector<std::string> cities =
        Cp1251All({"Тверь", "Ростов", "Казань", "Омск", "Пермь", "Самара", "Томск", "Сочи", "Чита", "Псков",
                   "Курск", "Орёл", "Вологда", "Ижевск", "Тула", "Киров"});
    for (int g = 0; g < 48; ++g) {
      std::string name = regions[static_cast<size_t>(g) % regions.size()];
      name.push_back('-');
      AppendInt(name, g + 1, 2);
      groups.push_back(name);
    }
    for (int n = 0; n < 2400; ++n) {
      std::string name = Utf8ToCp1251("Узел ");
      name += cities[random.Below(cities.size())];
      name.push_back('-');
      AppendInt(name, n + 1, 4);
      nodes.push_back(name);
    }
    for (int board = 1; board <= 16; ++board) {
      for (int port = 1; port <= 24; ++port) {
        std::string name = Utf8ToCp1251("Плата ");
        AppendInt(name, board);
        name += Utf8ToCp1251("/Порт ");
        AppendInt(name, port);
        ports.push_back(name);
      }
    }
    devices = Cp1251All({"Коммутатор", "Мультиплексор", "Маршрутизатор", "Модем xDSL", "ИБП", "Шлюз VoIP"});
  }

  // A node belongs to one group and is one kind of device.
  const std::string& GroupOf(size_t node) const { return groups[node % groups.size()]; }
  const std::string& DeviceOf(size_t node) const { return devices[node / groups.size() % devices.size()]; }

  std::vector<std::string> groups, nodes, ports, devices;
};

class Writer {
 public:
  explicit Writer(const std::function<void(std::string_view)>& write) : write_(write) { text.reserve(kFlushAt + 4096); }
  ~Writer() { Flush(); }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;
  void LineDone() {
    text += "\r\n";
    if (text.size() >= kFlushAt) Flush();
  }
  void Flush() {
    if (!text.empty()) write_(text);
    text.clear();
  }
  std::string text;

 private:
  const std::function<void(std::string_view)>& write_;
};

void Tab(std::string& out) { out.push_back('\t'); }

// The moment of record `i`: the records spread evenly over the days, a second's jitter each,
// never before the moment of the record before (`last`), as a unit writes its journal.
int64_t MomentOf(const GenerateOptions& o, size_t i, Random& random, int64_t& last) {
  const int64_t span = int64_t{o.days} * kMsPerDayInt;
  const int64_t moment = int64_t{o.firstDay} * kMsPerDayInt +
                         static_cast<int64_t>(static_cast<double>(span) * static_cast<double>(i) / static_cast<double>(o.records)) +
                         static_cast<int64_t>(random.Below(1000));
  last = std::max(last, moment);
  return last;
}

// Group, device, node and board or port of a random node, each followed by a tab.
void AppendPlace(std::string& t, const Network& net, Random& random) {
  const size_t node = random.Below(net.nodes.size());
  t += net.GroupOf(node);
  Tab(t);
  t += net.DeviceOf(node);
  Tab(t);
  t += net.nodes[node];
  Tab(t);
  t += net.ports[random.Below(net.ports.size())];
  Tab(t);
}

void WriteAlarms(const GenerateOptions& o, Random& random, const Network& net, Writer& w) {
  const Literals& words = Cp1251Literals();
  // Returns to normal (green), the unimportant ones (olive), and the rest (maroon).
  const std::vector<std::string> maroon = Cp1251All(
      {"Авария питания", "Потеря связи с устройством", "Нет сигнала на порту", "Превышение температуры",
       "Ошибка синхронизации", "Отказ платы", "Высокий уровень ошибок BER", "Потеря кадровой синхронизации (LOF)",
       "Нет связи с Интернет", "Открыта дверь шкафа"});
  const std::vector<std::string> detail = Cp1251All({"Уровень", "Код", "Счётчик", "Порог"});
  w.text += Utf8ToCp1251("Время\tГруппа\tТип\tУзел\tПлата/Порт\tСообщение\tПримечание");
  w.LineDone();
  int64_t last = 0;
  for (size_t i = 0; i < o.records; ++i) {
    std::string& t = w.text;
    AppendDateTime(t, MomentOf(o, i, random, last), o.dates);
    Tab(t);
    AppendPlace(t, net, random);
    const size_t roll = random.Below(100);
    if (roll < 22) {
      t += words.normal;
    } else if (roll < 30) {
      t += words.linkRestored;
    } else if (roll < 33) {
      t += words.internetRestored;
    } else if (roll < 41) {
      t += words.toReserve;
    } else if (roll < 46) {
      t += words.clockMismatch;
    } else {
      t += maroon[random.Below(maroon.size())];
    }
    Tab(t);
    t += detail[random.Below(detail.size())];
    t.push_back(' ');
    AppendInt(t, static_cast<int64_t>(random.Below(2000)) - 1000);
    // Now and then the rest of the line holds more than one field.
    if (random.Chance(3)) {
      Tab(t);
      t += Utf8ToCp1251("повтор ");
      AppendInt(t, static_cast<int64_t>(random.Below(9)) + 1);
    }
    w.LineDone();
  }
}

void WriteActions(const GenerateOptions& o, Random& random, const Network& net, Writer& w) {
  std::vector<std::string> users = Cp1251All({"admin", "Иванов А.П.", "Петрова Е.В.", "Сидоров", "дежурный"});
  for (int k = 1; k <= 25; ++k) {
    std::string name = Utf8ToCp1251("оператор");
    AppendInt(name, k);
    users.push_back(name);
  }
  const std::vector<std::string> actions = Cp1251All(
      {"Вход в систему", "Выход из системы", "Изменение конфигурации", "Квитирование аварии", "Перезагрузка узла",
       "Изменение параметра", "Просмотр журнала", "Сохранение конфигурации", "Обновление ПО", "Сброс счётчиков",
       "Добавление узла", "Удаление узла"});
  const std::vector<std::string> results = Cp1251All({"успешно", "успешно", "успешно", "отказано", "ошибка"});
  w.text += Utf8ToCp1251("Пользователь\tВремя\tАдрес\tОбъект\tРезультат\tДействие");
  w.LineDone();
  int64_t last = 0;
  for (size_t i = 0; i < o.records; ++i) {
    std::string& t = w.text;
    // A few users do most of the work.
    const size_t user = random.Chance(70) ? random.Below(6) : random.Below(users.size());
    t += users[user];
    Tab(t);
    AppendDateTime(t, MomentOf(o, i, random, last), o.dates);
    Tab(t);
    t += "10.";
    AppendInt(t, static_cast<int64_t>(user % 8));
    t.push_back('.');
    AppendInt(t, static_cast<int64_t>(random.Below(256)));
    t.push_back('.');
    AppendInt(t, static_cast<int64_t>(random.Below(254)) + 1);
    Tab(t);
    t += net.nodes[random.Below(net.nodes.size())];
    Tab(t);
    t += results[random.Below(results.size())];
    Tab(t);
    t += actions[random.Below(actions.size())];
    w.LineDone();
  }
}

void WriteParamStat(const GenerateOptions& o, Random& random, const Network& net, Writer& w) {
  const bool stat = o.kind == JournalKind::Stat;
  std::vector<std::string> params;
  if (stat) {
    params = Cp1251All({"Принято кадров", "Передано кадров", "Ошибки CRC", "Потери пакетов", "Загрузка, %",
                        "Время работы, ч", "Коллизии", "Ошибки выравнивания"});
  } else {
    const std::vector<std::string> base =
        Cp1251All({"Порог BER", "Уровень сигнала", "Скорость порта", "Режим дуплекса", "Таймаут опроса",
                   "Порог температуры", "VLAN", "Приоритет"});
    for (const std::string& name : base) {
      for (int k = 1; k <= 5; ++k) {
        std::string item = name;
        item.push_back(' ');
        AppendInt(item, k);
        params.push_back(item);
      }
    }
  }
  w.text += stat ? Utf8ToCp1251("Время\tГруппа\tТип\tУзел\tПлата/Порт\tСчётчик\tЗначение\tИнтервал")
                 : Utf8ToCp1251("Время\tГруппа\tТип\tУзел\tПлата/Порт\tПараметр\tБыло\tСтало");
  w.LineDone();
  const std::string was = Utf8ToCp1251("было "), now = Utf8ToCp1251("стало "), period = Utf8ToCp1251("за 15 мин");
  int64_t last = 0;
  for (size_t i = 0; i < o.records; ++i) {
    std::string& t = w.text;
    AppendDateTime(t, MomentOf(o, i, random, last), o.dates);
    Tab(t);
    AppendPlace(t, net, random);
    t += params[random.Below(params.size())];
    Tab(t);
    if (stat) {
      AppendInt(t, static_cast<int64_t>(random.Below(1000000)));
      Tab(t);
      t += period;
    } else {
      t += was;
      AppendInt(t, static_cast<int64_t>(random.Below(100)));
      Tab(t);
      t += now;
      AppendInt(t, static_cast<int64_t>(random.Below(100)));
    }
    w.LineDone();
  }
}

}  // namespace

void GenerateJournal(const GenerateOptions& options, const std::function<void(std::string_view)>& write) {
  Random random(options.seed);
  const Network net(random);
  Writer w(write);
  switch (options.kind) {
    case JournalKind::Alarms: WriteAlarms(options, random, net, w); break;
    case JournalKind::Action: WriteActions(options, random, net, w); break;
    case JournalKind::Param:
    case JournalKind::Stat: WriteParamStat(options, random, net, w); break;
    case JournalKind::None: break;
  }
}

}  // namespace vantorel
