#include "journals/JournalNames.h"

#include <algorithm>
#include <numeric>
#include <string_view>

#include "uStrUtils/NameText.h"

namespace vantorel {
namespace {

// The components of `path` that are not empty, last first.
std::vector<std::string_view> ComponentsLastFirst(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t end = path.size();
  while (end > 0) {
    const size_t slash = path.find_last_of('/', end - 1);
    const size_t begin = slash == std::string_view::npos ? 0 : slash + 1;
    if (begin < end) parts.push_back(path.substr(begin, end - begin));
    if (slash == std::string_view::npos) break;
    end = slash;
  }
  return parts;
}

// The last `count` components joined by slashes.
std::string Joined(const std::vector<std::string_view>& lastFirst, size_t count) {
  std::string text;
  for (size_t k = count; k-- > 0;) {
    text += lastFirst[k];
    if (k > 0) text.push_back('/');
  }
  return text;
}

}  // namespace

std::vector<std::string> ShownJournalNames(const std::vector<std::string>& paths) {
  const size_t n = paths.size();
  std::vector<std::vector<std::string_view>> parts(n);
  std::vector<size_t> shown(n);
  std::vector<std::string> names(n);
  for (size_t i = 0; i < n; ++i) {
    parts[i] = ComponentsLastFirst(paths[i]);
    shown[i] = std::min<size_t>(1, parts[i].size());
    names[i] = Joined(parts[i], shown[i]);
  }
  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), size_t{0});
  // Each round sorts the names and gives every name that more than one journal shares one
  // folder more, while its path has one; a round that lengthens none ends it.
  for (bool lengthened = true; lengthened;) {
    lengthened = false;
    std::sort(order.begin(), order.end(), [&names](size_t a, size_t b) { return names[a] < names[b]; });
    for (size_t first = 0; first < n;) {
      size_t last = first + 1;
      while (last < n && names[order[last]] == names[order[first]]) ++last;
      if (last - first > 1) {
        for (size_t k = first; k < last; ++k) {
          const size_t i = order[k];
          if (shown[i] == parts[i].size()) continue;
          names[i] = Joined(parts[i], ++shown[i]);
          lengthened = true;
        }
      }
      first = last;
    }
  }
  for (std::string& name : names) name = NameText(name);
  return names;
}

}  // namespace vantorel
