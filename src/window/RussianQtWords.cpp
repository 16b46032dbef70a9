#include "window/RussianQtWords.h"

#include <cstring>

namespace vantorel {
namespace {

struct Word {
  const char* context;
  const char* source;
  const char* russian;
};

// Qt 6's words of the file dialogs that Debian's qtbase_ru.qm leaves in English.
constexpr Word kWords[] = {
    {"QAbstractFileIconProvider", "Folder", "Папка"},
    {"QAbstractFileIconProvider", "Drive", "Диск"},
    {"QAbstractFileIconProvider", "File", "Файл"},
    {"QAbstractFileIconProvider", "%1 File", "Файл %1"},
    {"QAbstractFileIconProvider", "Unknown", "Неизвестно"},
    {"QAbstractFileIconProvider", "File Folder", "Папка"},
    {"QAbstractFileIconProvider", "Alias", "Ссылка"},
    {"QAbstractFileIconProvider", "Shortcut", "Ярлык"},
    {"QFileDialog", "Computer", "Компьютер"},
    {"QSidebar", "Remove", "Удалить"},
};

}  // namespace

RussianQtWords::RussianQtWords(QObject* parent) : QTranslator(parent) {}

QString RussianQtWords::translate(const char* context, const char* sourceText, const char*, int) const {
  if (context == nullptr || sourceText == nullptr) return {};
  for (const Word& word : kWords) {
    if (std::strcmp(word.context, context) == 0 && std::strcmp(word.source, sourceText) == 0) {
      return QString::fromUtf8(word.russian);
    }
  }
  return {};
}

}  // namespace vantorel
