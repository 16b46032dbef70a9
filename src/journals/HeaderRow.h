#pragma once
// The column titles of a journal's first line.
#include <string>
#include <string_view>
#include <vector>

namespace vantorel {

// The titles the first line writes into the title row, from column 0 on: its tab-separated
// fields (a run of tabs is one separator, a leading tab gives an empty first title), and
// one more empty title when the line has a single field or ends in tabs. An empty line
// writes none.
std::vector<std::string> HeaderTitles(std::string_view firstLine);

}  // namespace vantorel
