#pragma once
// A text filter of a view: the rows that hold a text, or the rows that hold none of it.
#include <string>

namespace vantorel {

struct TextFilter {
  // Windows-1251; a regular expression's pattern when `regex` is set.
  std::string text;
  // Hide the rows that hold the text; otherwise show only the rows that hold it.
  bool hide = false;
  bool regex = false;
  // Letter case counts; otherwise a Russian or Latin letter matches either of its cases.
  bool matchCase = false;
  // The text as typed holds a character Windows-1251 lacks: no row can hold it.
  bool unwritable = false;

  bool operator==(const TextFilter&) const = default;
};

}  // namespace vantorel
