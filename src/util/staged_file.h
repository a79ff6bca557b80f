// Writing a set of output files so that each final name only ever holds a
// complete file: every file is first written under a temporary name beside
// its final one, and renamed into place only when all were written.
#pragma once

#include <string>
#include <vector>

namespace bexora {

struct FileText {
  std::string path;
  std::string content;
};

// Writes the files in order; returns the path of the first one that could
// not be written (then no file of the set replaced its final name), or an
// empty text when all are in place.
std::string writeFilesTogether(const std::vector<FileText>& files);

}  // namespace bexora
