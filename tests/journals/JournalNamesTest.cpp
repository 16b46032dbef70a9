// The names that tell the journals of a set apart.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

#include "journals/JournalNames.h"
#include "uStrUtils/NameText.h"

namespace vantorel {
namespace {

// The last `k` components of `path` (fewer when it has fewer), joined by slashes.
std::string Suffix(const std::string& path, size_t k) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1) {
    if (slash > start) parts.push_back(path.substr(start, slash - start));
  }
  if (start < path.size()) parts.push_back(path.substr(start));
  std::string text;
  for (size_t i = parts.size() > k ? parts.size() - k : 0; i < parts.size(); ++i) text += (text.empty() ? "" : "/") + parts[i];
  return text;
}

// The model, one journal against every other: the fewest last components that no other
// path of the set ends with as well; all of them when none are that few.
std::vector<std::string> ModelNames(const std::vector<std::string>& paths) {
  std::vector<std::string> names;
  for (size_t i = 0; i < paths.size(); ++i) {
    size_t k = 1;
    for (;; ++k) {
      const std::string mine = Suffix(paths[i], k);
      if (mine == Suffix(paths[i], k + 1)) break;
      bool shared = false;
      for (size_t j = 0; j < paths.size() && !shared; ++j) shared = j != i && Suffix(paths[j], k) == mine;
      if (!shared) break;
    }
    names.push_back(NameText(Suffix(paths[i], k)));
  }
  return names;
}

TEST(ShownJournalNames, OneNameAJournalAndFoldersOnlyWhereNamesMeet) {
  EXPECT_EQ(ShownJournalNames({"/data/unit7/2013-11-25.alarms", "/data/unit8/2013-11-25.alarms", "/data/unit8/x.alarms"}),
            (std::vector<std::string>{"unit7/2013-11-25.alarms", "unit8/2013-11-25.alarms", "x.alarms"}));
  // Folders of one name too: as many as it takes.
  EXPECT_EQ(ShownJournalNames({"/a/log/x.alarms", "/b/log/x.alarms", "/c/x.alarms"}),
            (std::vector<std::string>{"a/log/x.alarms", "b/log/x.alarms", "c/x.alarms"}));
  // Every byte shown, the same way everywhere.
  EXPECT_EQ(ShownJournalNames({"/d/\xC6\t.alarms"}), (std::vector<std::string>{"\\xc6\\x09.alarms"}));

  std::mt19937 random(12);
  const char* const folders[] = {"a", "b", "log", "\xD0\xAE", "x.alarms"};
  const char* const files[] = {"x.alarms", "y.alarms", "\xE6\x97\xA5.alarms", "a"};
  for (int round = 0; round < 3000; ++round) {
    std::set<std::string> distinct;
    const size_t count = 1 + random() % 7;
    while (distinct.size() < count) {
      // Whole paths, as the callers pass them.
      std::string path = "/";
      for (size_t depth = random() % 4; depth > 0; --depth) path += std::string(folders[random() % 5]) + "/";
      distinct.insert(path + files[random() % 4]);
    }
    std::vector<std::string> paths(distinct.begin(), distinct.end());
    std::shuffle(paths.begin(), paths.end(), random);
    const std::vector<std::string> names = ShownJournalNames(paths);
    ASSERT_EQ(names, ModelNames(paths)) << testing::PrintToString(paths);
    // Different files, different names, in whatever order they come.
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size()) << testing::PrintToString(paths);
  }
}

}  // namespace
}  // namespace vantorel
