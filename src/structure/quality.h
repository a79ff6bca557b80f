// The quality record of a structure from its PDB REMARK lines or mmCIF
// items (resolution, free R value, completeness, reflections), and the
// diffraction precision index (DPI) made of it.
#pragma once

#include <string>
#include <string_view>

#include "model/model.h"
#include "util/reporter.h"

namespace bexora {

// Where a line was read, for warnings about it.
struct LinePlace {
  const Reporter& reporter;
  const std::string& path;
  long line;
};

// Line-level parsers. A statistic that is not finite or outside its
// physical range counts as not given; with `place` a warning names the file
// and line.
void parseRefineInfo_PDBFormat(std::string_view line, RefineInfo& refine, const LinePlace* place = nullptr);
void parseRefineInfo_mmCIFFormat(std::string_view line, RefineInfo& refine, const LinePlace* place = nullptr);

void calculateDPI(RefineInfo& refine);
// The DPI of the record, or `unknownDpi` when it cannot be computed; the
// record's dpiSource tells which.
void settleDpi(RefineInfo& refine, double unknownDpi);
// "computed", "unknown" or "option".
const char* dpiSourceName(DpiSource source);

}  // namespace bexora
