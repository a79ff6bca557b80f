#include "structure/quality.h"

#include <cmath>

#include "structure/record_fields.h"

namespace bexora {

namespace {

// Physical bounds of what a structure file states; a value outside them (or
// not finite) is damage, not data, and counts as not given.
constexpr double kMaxResolution = 100;     // angstrom; resolution lies in (0, 100], 0 being "not given"
constexpr double kMaxRValue = 1;           // free R lies in [0, 1] once a percentage is read as one
constexpr double kMaxCompleteness = 1;     // completeness lies in [0, 100] %, kept as a fraction
constexpr double kMaxReflections = 2147483647.0;  // a count, 0 up to what int32_t holds

// A quality statistic's name and bounds (in the units it is kept in).
struct Bounds {
  const char* name;
  double high;
  const char* range;  // as the warning states it
  bool holds(double value) const { return value >= 0 && value <= high; }
};

constexpr Bounds kResolutionBounds{"resolution", kMaxResolution, "(0, 100] angstrom"};
constexpr Bounds kFreeRBounds{"free R value", kMaxRValue, "[0, 1] or [0, 100] %"};
constexpr Bounds kCompletenessBounds{"completeness", kMaxCompleteness, "[0, 100] %"};
constexpr Bounds kReflectionsBounds{"number of reflections", kMaxReflections, "0 to 2147483647"};

// True when `value` (as kept) lies within its bounds; otherwise warns, when
// the line's place is known, with the value as the file wrote it.
bool withinBounds(double value, double written, const Bounds& bounds, const LinePlace* place) {
  if (bounds.holds(value)) return true;
  if (place)
    place->reporter.warn("Line %ld of %s gives the %s as %g, outside %s; it is taken as not given.\n",
                        place->line, place->path.c_str(), bounds.name, written, bounds.range);
  return false;
}

// Older refinements write R values as percentages (28.500 for 0.285).
double asFraction(double rValue) { return rValue > 1 ? rValue / 100 : rValue; }

// The text that begins two characters after the first ':', unless "NULL".
bool valueAfterColon(std::string_view line, std::string_view& value) {
  std::size_t colon = line.find(':');
  if (colon == std::string_view::npos || colon + 2 > line.size()) return false;
  value = line.substr(colon + 2);
  return !startsWith(value, "NULL");
}

void readPdbResolution(std::string_view line, RefineInfo& refine, const LinePlace* place) {
  if (!startsWith(line, "REMARK   2") || columns(line, 12, 22) != "RESOLUTION.") return;
  std::string_view value = line.size() >= 24 ? line.substr(23) : std::string_view();
  double resolution = 0;
  if (!startsWith(value, "NULL") && parseDecimal(value, resolution) &&
      withinBounds(resolution, resolution, kResolutionBounds, place))
    refine.resolution = resolution;
}

void readPdbFreeR(std::string_view line, RefineInfo& refine, const LinePlace* place) {
  if (!startsWith(line, "REMARK   3")) return;
  char compact[256];
  std::size_t n = 0;
  for (char c : line)
    if (c != ' ' && n < sizeof compact) compact[n++] = c;
  std::string_view text(compact, n);
  constexpr std::string_view kKey = "FREERVALUE:";
  if (text.size() < 7 + kKey.size() || text.substr(7, kKey.size()) != kKey) return;
  std::string_view value = text.substr(7 + kKey.size());
  double freeR = 0;
  if (!startsWith(value, "NULL") && parseDecimal(value, freeR) &&
      withinBounds(asFraction(freeR), freeR, kFreeRBounds, place))
    refine.freeRValue = asFraction(freeR);
}

void readPdbCompleteness(std::string_view line, RefineInfo& refine, const LinePlace* place) {
  std::string_view value;
  if (line.find("COMPLETENESS") == std::string_view::npos || !valueAfterColon(line, value)) return;
  double percent = 0;
  if (parseDecimal(value, percent) && withinBounds(percent / 100, percent, kCompletenessBounds, place) &&
      percent / 100 > refine.completeness)
    refine.completeness = percent / 100;
}

void readPdbReflections(std::string_view line, RefineInfo& refine, const LinePlace* place) {
  std::string_view value;
  if (line.find("NUMBER OF REFLECTIONS") == std::string_view::npos || !valueAfterColon(line, value)) return;
  double count = 0;
  if (!parseDecimal(value, count) || withinBounds(count, count, kReflectionsBounds, place))
    parseInteger(value, refine.noOfReflections);
}

enum class Keep { kSmallest, kLargest };

void keepValue(double candidate, Keep rule, double& current) {
  bool unset = current < 1e-10;
  if (unset || (rule == Keep::kSmallest ? candidate < current : candidate > current)) current = candidate;
}

// "item value": the first word must be the item, the second begin with a digit.
bool cifItemValue(std::string_view line, std::string_view item, double& value) {
  if (!startsWith(line, item)) return false;
  std::string_view rest = line.substr(item.size());
  if (rest.empty() || !isBlank(rest.front())) return false;
  rest = trimBlanks(rest);
  if (rest.empty() || !std::isdigit(static_cast<unsigned char>(rest.front()))) return false;
  return parseDecimal(rest.substr(0, std::min(rest.find_first_of(" \t"), rest.size())), value);
}

void readCifQuality(std::string_view line, std::array<const char*, 2> items, double (*scale)(double), Keep rule,
                    const Bounds& bounds, const LinePlace* place, double& current) {
  for (const char* item : items) {
    double value = 0;
    if (cifItemValue(line, item, value) && withinBounds(scale(value), value, bounds, place))
      keepValue(scale(value), rule, current);
  }
}

double asIs(double value) { return value; }
double fromPercent(double value) { return value / 100; }

void readCifReflections(std::string_view line, RefineInfo& refine, const LinePlace* place) {
  for (const char* item : {"_reflns.number_obs", "_refine.ls_number_reflns_obs"}) {
    double value = 0;
    if (cifItemValue(line, item, value) && withinBounds(value, value, kReflectionsBounds, place) &&
        value > refine.noOfReflections)
      refine.noOfReflections = static_cast<int32_t>(value);
  }
}

// Stored names are zero-padded (slots start value-initialised and setField
// writes one terminator), so their bytes read as one big-endian number order
// them as text comparison does.
}  // namespace

void calculateDPI(RefineInfo& refine) {
  constexpr double kUnset = 1e-10;
  if (refine.completeness <= kUnset || refine.resolution <= kUnset || refine.freeRValue <= kUnset ||
      refine.noOfAtoms < 1 || refine.noOfReflections < 1) {
    refine.dpi = 0;
    return;
  }
  double ratio = static_cast<double>(refine.noOfAtoms) / static_cast<double>(refine.noOfReflections);
  refine.dpi = std::sqrt(ratio) * refine.freeRValue * refine.resolution * std::pow(refine.completeness, -1.0 / 3.0);
}

const char* dpiSourceName(DpiSource source) {
  switch (source) {
    case DpiSource::kComputed: return "computed";
    case DpiSource::kOption: return "option";
    default: return "unknown";
  }
}

void parseRefineInfo_PDBFormat(std::string_view line, RefineInfo& refine, const LinePlace* place) {
  if (!startsWith(line, "REMARK")) return;
  readPdbResolution(line, refine, place);
  readPdbFreeR(line, refine, place);
  readPdbCompleteness(line, refine, place);
  readPdbReflections(line, refine, place);
}

void parseRefineInfo_mmCIFFormat(std::string_view line, RefineInfo& refine, const LinePlace* place) {
  readCifQuality(line, {"_refine.ls_d_res_high", "_refine_hist.d_res_high"}, asIs, Keep::kSmallest,
                 kResolutionBounds, place, refine.resolution);
  readCifQuality(line, {"_refine.ls_R_factor_R_free", "_refine_ls_shell.R_factor_R_free"}, asFraction,
                 Keep::kSmallest, kFreeRBounds, place, refine.freeRValue);
  readCifQuality(line, {"_reflns.percent_possible_obs", "_refine.ls_percent_reflns_obs"}, fromPercent,
                 Keep::kLargest, kCompletenessBounds, place, refine.completeness);
  readCifReflections(line, refine, place);
}

void settleDpi(RefineInfo& refine, double unknownDpi) {
  calculateDPI(refine);
  if (refine.dpi > 0) {
    refine.dpiSource = DpiSource::kComputed;
  } else if (unknownDpi > 0) {
    refine.dpi = unknownDpi;
    refine.dpiSource = DpiSource::kOption;
  } else {
    refine.dpiSource = DpiSource::kUnknown;
  }
}


}  // namespace bexora
