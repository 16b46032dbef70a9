#include "document/RowExport.h"

#include <algorithm>

#include "datetime/DateTimeText.h"
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

RowExport::RowExport(RowFormat format, int columns, const std::vector<std::string>& titles,
                     const std::optional<std::string>& journal)
    : format_(format), columns_(columns) {
  std::vector<std::string> names;
  if (journal) {
    lead_ = true;
    names = {"moment", "journal"};
    SetJournal(*journal);
  }
  const auto taken = [&names](const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  for (int c = 0; c < columns; ++c) {
    const std::string utf8 = Cp1251ToUtf8(static_cast<size_t>(c) < titles.size() ? titles[static_cast<size_t>(c)] : "");
    if (format != RowFormat::JsonLines) {
      titles_.push_back(utf8);
      continue;
    }
    // A key must name one column: JSON readers keep one value of a repeated key.
    std::string name = utf8.empty() || taken(utf8) ? "column " + std::to_string(c + 1) : utf8;
    const std::string base = name;
    for (int n = 2; taken(name); ++n) name = base + " (" + std::to_string(n) + ")";
    names.push_back(name);
    std::string key;
    AppendJsonString(name, key);
    titles_.push_back(key);
  }
}

char RowExport::Separator() const {
  switch (format_) {
    case RowFormat::Tsv: return '\t';
    case RowFormat::CsvExcel: return ';';
    case RowFormat::Csv:
    case RowFormat::JsonLines: break;
  }
  return ',';
}

void RowExport::AppendCsvField(std::string_view utf8, std::string& out) const {
  // A spreadsheet that trims the spaces before a field would still run a formula after them.
  const size_t first = utf8.find_first_not_of(' ');
  const bool formula = format_ == RowFormat::CsvExcel && first != std::string_view::npos &&
                       std::string_view("=+-@\t\r").find(utf8[first]) != std::string_view::npos;
  const char specials[] = {Separator(), '"', '\r', '\n', '\0'};
  if (utf8.find_first_of(specials) == std::string_view::npos) {
    if (formula) out.push_back('\'');
    out += utf8;
    return;
  }
  out.push_back('"');
  if (formula) out.push_back('\'');
  for (char ch : utf8) {
    if (ch == '"') out.push_back('"');
    out.push_back(ch);
  }
  out.push_back('"');
}

void RowExport::AppendCell(std::string_view cell, std::string& out) const {
  switch (format_) {
    case RowFormat::Tsv:
      AppendCp1251AsUtf8(out, cell);
      return;
    case RowFormat::Csv:
    case RowFormat::CsvExcel: {
      const char specials[] = {Separator(), '"', '\r', '\n', '\0'};
      if (format_ == RowFormat::Csv && cell.find_first_of(specials) == std::string_view::npos) {
        AppendCp1251AsUtf8(out, cell);
        return;
      }
      std::string utf8;
      AppendCp1251AsUtf8(utf8, cell);
      AppendCsvField(utf8, out);
      return;
    }
    case RowFormat::JsonLines: {
      std::string utf8;
      AppendCp1251AsUtf8(utf8, cell);
      AppendJsonString(utf8, out);
      return;
    }
  }
}

void RowExport::SetJournal(std::string_view utf8) {
  journalField_.clear();
  if (format_ == RowFormat::JsonLines) {
    AppendJsonString(utf8, journalField_);
  } else if (format_ == RowFormat::Tsv) {
    journalField_ = utf8;
  } else {
    AppendCsvField(utf8, journalField_);
  }
}

void RowExport::AppendLead(TDateTime moment, std::string& out) const {
  if (format_ == RowFormat::JsonLines) {
    out += "\"moment\":\"";
    AppendIsoMoment(out, moment);
    out += "\",\"journal\":";
    out += journalField_;
    out.push_back(',');
    return;
  }
  AppendIsoMoment(out, moment);
  out.push_back(Separator());
  out += journalField_;
  out.push_back(Separator());
}

void RowExport::AppendTitles(std::string& out) const {
  if (format_ == RowFormat::JsonLines) return;
  if (format_ == RowFormat::CsvExcel) out += "\xEF\xBB\xBF";
  if (lead_) {
    out += "moment";
    out.push_back(Separator());
    out += "journal";
    out.push_back(Separator());
  }
  for (int c = 0; c < columns_; ++c) {
    if (c > 0) out.push_back(Separator());
    const std::string& title = titles_[static_cast<size_t>(c)];
    if (format_ == RowFormat::Tsv) {
      out += title;
    } else {
      AppendCsvField(title, out);
    }
  }
  out += format_ == RowFormat::Tsv ? "\n" : "\r\n";
}

void RowExport::AppendRow(const std::string_view* cells, std::string& out, TDateTime moment) const {
  if (format_ == RowFormat::JsonLines) out.push_back('{');
  if (lead_) AppendLead(moment, out);
  for (int c = 0; c < columns_; ++c) {
    if (c > 0) out.push_back(Separator());
    if (format_ == RowFormat::JsonLines) {
      out += titles_[static_cast<size_t>(c)];
      out.push_back(':');
    }
    AppendCell(cells[c], out);
  }
  if (format_ == RowFormat::JsonLines) out.push_back('}');
  out += format_ == RowFormat::Csv || format_ == RowFormat::CsvExcel ? "\r\n" : "\n";
}

void RowExport::AppendRecord(const JournalDocument& document, size_t record, std::string& out,
                             std::string& scratch) const {
  std::array<std::string_view, kMaxColumns> cells{};
  document.Cells(record, cells, scratch);
  AppendRow(cells.data(), out);
}

}  // namespace vantorel
