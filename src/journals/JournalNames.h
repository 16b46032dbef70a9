#pragma once
// The names by which the journals of a set are told apart wherever they are shown.
#include <string>
#include <vector>

namespace vantorel {

// The name each of `paths` (bytes as the file system holds them) is shown by in a set of
// journals, in Windows-1251 as NameText writes it: its file name; where journals of the set
// share that name, as many of the folders before it as tell them apart ("unit7/x.alarms").
// The folders are those the paths name: a caller that wants a bare name's folder named
// passes whole paths. Paths that are one path give one name. n log n in the paths.
std::vector<std::string> ShownJournalNames(const std::vector<std::string>& paths);

}  // namespace vantorel
