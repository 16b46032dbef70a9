#include "query/MergedQuery.h"

#include <array>
#include <filesystem>
#include <system_error>

#include "document/JournalDocument.h"
#include "document/RowExport.h"
#include "document/Timeline.h"
#include "journals/JournalNames.h"
#include "journals/JournalSetLoad.h"
#include "journals/TextEndNotice.h"
#include "query/QueryText.h"
#include "uStrUtils/AppError.h"
#include "uStrUtils/Cp1251.h"

namespace vantorel {
namespace {

// The date pickers' day before any journal: what the range of journals without records is.
constexpr TDateTime kPickerStartDate = 41603;

// The filters of `options` over `document`, as the window's controls would hold them.
FilterState StateOf(const QueryOptions& options, const JournalDocument& document) {
  FilterState state;
  state.startTime = options.time.start;
  state.endTime = options.time.end;
  state.startDate = options.fromDate.value_or(WholeDay(document.Earliest()));
  state.endDate = options.toDate.value_or(WholeDay(document.Latest()));
  state.showUnimportant = options.showUnimportant;
  state.texts = TextFiltersOf(options);
  const KindDescription& kind = document.Kind();
  for (int l = 0; l < kind.listCount; ++l) {
    const std::optional<std::string> wanted = ListOption(options, kind.kind, l);
    if (!wanted) continue;
    ListSelection& selection = state.lists[static_cast<size_t>(l)];
    selection.text = *wanted;
    selection.index = document.Data().lists[static_cast<size_t>(l)].Find(*wanted);
  }
  return state;
}

}  // namespace

std::string RunMergedQuery(const QueryOptions& options, JournalKind kind, const DateTimeRules& rules, TextSink& out) {
  LoadOptions load;
  load.rules = rules;
  load.startDate = kPickerStartDate;
  std::vector<std::unique_ptr<JournalSource>> sources;
  // Journals of one name are told apart by their folders, a bare name's too: the names come
  // from the whole paths.
  std::vector<std::string> whole;
  for (const std::string& path : options.files) {
    sources.push_back(std::make_unique<JournalSource>(path));
    std::error_code failed;
    const std::filesystem::path absolute = std::filesystem::absolute(path, failed);
    whole.push_back(failed ? path : absolute.lexically_normal().string());
  }
  const std::vector<std::string> names = ShownJournalNames(whole);
  SetSize size;
  const JournalDocument document(LoadJournalSet(sources, names, kind, load, size), rules.regional);
  if (document.Kind().dateRange && (!InPickerRange(WholeDay(document.Earliest())) || !InPickerRange(WholeDay(document.Latest())))) {
    throw AppError("Failed to set calendar date or time");
  }
  const FilterState state = StateOf(options, document);
  std::string text;
  if (options.lists) {
    AppendListsText(document.Kind(), document.Data().lists, text);
  } else if (options.histogram) {
    const TimelineCounts counts = CountTimeline(document, state);
    std::array<size_t, kTimelineBins> bins{};
    for (size_t b = 0; b < bins.size(); ++b) bins[b] = counts[b].Total();
    AppendHistogramText(bins, text);
  } else {
    RowSet rows;
    document.Select(state, rows);
    if (options.countOnly) {
      AppendCountLine(rows.size(), document.RecordCount(), text);
    } else {
      const bool lead = options.format && (options.moment || *options.format == RowFormat::JsonLines);
      RowExport exporter(options.format.value_or(RowFormat::Tsv), document.ColumnCount(), document.ShownTitles(),
                         lead ? std::optional<std::string>("") : std::nullopt);
      exporter.AppendTitles(text);
      std::string scratch;
      std::array<std::string_view, kMaxColumns> cells{};
      for (uint32_t record : rows.rows) {
        if (lead) exporter.SetJournal(Cp1251ToUtf8(document.Cell(record, document.Kind().columns, scratch)));
        document.Cells(record, cells, scratch);
        exporter.AppendRow(cells.data(), text, document.Time(record));
        if (text.size() > (size_t{1} << 20)) {
          out.Write(text);
          text.clear();
        }
      }
      if (!options.format) AppendCountLine(rows.size(), document.RecordCount(), text);
    }
  }
  out.Write(text);
  const std::string notice = NulNotice(document.Data());
  return notice.empty() ? std::string() : Cp1251ToUtf8(notice) + ".\n";
}

}  // namespace vantorel
