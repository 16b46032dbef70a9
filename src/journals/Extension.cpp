#include "journals/Extension.h"

namespace vantorel {

std::string_view FileNameOf(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view ExtensionOf(std::string_view path) {
  const std::string_view name = FileNameOf(path);
  const size_t dot = name.find_last_of('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

JournalKind KindOfPath(std::string_view path) {
  const std::string_view ext = ExtensionOf(path);
  for (JournalKind kind : {JournalKind::Alarms, JournalKind::Action, JournalKind::Param, JournalKind::Stat}) {
    if (ext == DescriptionOf(kind).extension) return kind;
  }
  return JournalKind::None;
}

}  // namespace vantorel
