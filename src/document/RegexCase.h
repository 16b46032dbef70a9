#pragma once
// A regular expression over Windows-1251 bytes made blind to letter case: each letter it
// matches, outside a class or in one, matches its other case too. Case is folded here, by
// the code page's own pairs, because a regular expression library folds only the letters of
// Latin-1, whose upper half is not Windows-1251's.
#include <string>
#include <string_view>

namespace vantorel {

// `pattern` (RE2's syntax, in Windows-1251) with every literal letter widened to both its
// cases; escapes, group headers, counts and named classes are left as they are.
std::string CaseBlindPattern(std::string_view pattern);

}  // namespace vantorel
