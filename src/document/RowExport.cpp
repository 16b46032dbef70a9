#include "document/RowExport.h"

#include "uStrUtils/Cp1251.h"

namespace vantorel {

std::vector<std::string> ShownTitles(const std::vector<std::string>& titles, int columns) {
  std::vector<std::string> shown(static_cast<size_t>(std::max(columns, 0)));
  for (size_t c = 0; c < shown.size() && c < titles.size(); ++c) shown[c] = titles[c];
  return shown;
}

void AppendJsonString(std::string_view utf8, std::string& out) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.push_back('"');
  for (char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default:
        if (b < 0x20) {
          out += "\\u00";
          out.push_back(kHex[b >> 4]);
          out.push_back(kHex[b & 15]);
        } else {
          out.push_back(c);
        }
    }
  }
  out.push_back('"');
}

RowExport::RowExport(RowFormat format, int columns, const std::vector<std::string>& titles)
    : format_(format), columns_(columns) {
  std::vector<std::string> names;
  for (int c = 0; c < columns; ++c) {
    const std::string utf8 = Cp1251ToUtf8(static_cast<size_t>(c) < titles.size() ? titles[static_cast<size_t>(c)] : "");
    if (format != RowFormat::JsonLines) {
      titles_.push_back(utf8);
      continue;
    }
    // A key must name one column: an empty or repeated title is called by its column's number.
    std::string name = utf8;
    for (const std::string& earlier : names) {
      if (earlier == utf8) name.clear();
    }
    if (name.empty()) name = "column " + std::to_string(c + 1);
    names.push_back(name);
    std::string key;
    AppendJsonString(name, key);
    titles_.push_back(key);
  }
}

void RowExport::AppendCell(std::string_view cell, std::string& out) const {
  switch (format_) {
    case RowFormat::Tsv:
      AppendCp1251AsUtf8(out, cell);
      return;
    case RowFormat::Csv:
      if (cell.find_first_of(",\"\r\n") == std::string_view::npos) {
        AppendCp1251AsUtf8(out, cell);
        return;
      }
      out.push_back('"');
      for (size_t at = 0;;) {
        const size_t quote = cell.find('"', at);
        AppendCp1251AsUtf8(out, cell.substr(at, quote == std::string_view::npos ? std::string_view::npos : quote - at));
        if (quote == std::string_view::npos) break;
        out += "\"\"";
        at = quote + 1;
      }
      out.push_back('"');
      return;
    case RowFormat::JsonLines: {
      std::string utf8;
      AppendCp1251AsUtf8(utf8, cell);
      AppendJsonString(utf8, out);
      return;
    }
  }
}

void RowExport::AppendTitles(std::string& out) const {
  if (format_ == RowFormat::JsonLines) return;
  for (int c = 0; c < columns_; ++c) {
    if (c > 0) out.push_back(format_ == RowFormat::Csv ? ',' : '\t');
    const std::string& title = titles_[static_cast<size_t>(c)];
    if (format_ == RowFormat::Csv && title.find_first_of(",\"\r\n") != std::string::npos) {
      out.push_back('"');
      for (char ch : title) {
        if (ch == '"') out.push_back('"');
        out.push_back(ch);
      }
      out.push_back('"');
    } else {
      out += title;
    }
  }
  out += format_ == RowFormat::Csv ? "\r\n" : "\n";
}

void RowExport::AppendRow(const std::string_view* cells, std::string& out) const {
  if (format_ == RowFormat::JsonLines) out.push_back('{');
  for (int c = 0; c < columns_; ++c) {
    if (c > 0) out.push_back(format_ == RowFormat::Csv || format_ == RowFormat::JsonLines ? ',' : '\t');
    if (format_ == RowFormat::JsonLines) {
      out += titles_[static_cast<size_t>(c)];
      out.push_back(':');
    }
    AppendCell(cells[c], out);
  }
  if (format_ == RowFormat::JsonLines) out.push_back('}');
  out += format_ == RowFormat::Csv ? "\r\n" : "\n";
}

void RowExport::AppendRecord(const JournalDocument& document, size_t record, std::string& out,
                             std::string& scratch) const {
  std::array<std::string_view, kMaxColumns> cells{};
  document.Cells(record, cells, scratch);
  AppendRow(cells.data(), out);
}

}  // namespace vantorel
