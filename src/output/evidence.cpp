#include "output/evidence.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "output/annotation_writer.h"
#include "annotation/pair_formats.h"

namespace bexora {

namespace {

constexpr const char* kHeader =
    "group\tdecision\treason\treference_pair\ttarget_pair\ttolerance\tdpi_reference\tdpi_target\t"
    "c1_reference\tc1_target\tc2_reference\tc2_target\tc5_reference\tc5_target\t"
    "contact1\tcontact1_reference\tcontact1_target\tcontact2\tcontact2_reference\tcontact2_target\torientation\n";

// Six decimals read well; a row whose rounding would turn a comparison with
// the tolerance around is written with every digit instead.
std::string number(double value, bool everyDigit) {
  if (std::isnan(value)) return "NA";
  char text[40];
  std::snprintf(text, sizeof text, everyDigit ? "%.17g" : "%.6f", value);
  return text;
}

double asWritten(double value) { return std::strtod(number(value, false).c_str(), nullptr); }

bool hasContact(const PairGeometry& geometry, int j) { return j < geometry.contactCount; }

double referenceContact(const PairGeometry& geometry, int j) {
  bool measured = hasContact(geometry, j) && geometry.referenceContacts[j] < kNotMeasured;
  return measured ? geometry.referenceContacts[j] : PairGeometry::kUnmeasured;
}

double targetContact(const PairGeometry& geometry, int j) {
  return hasContact(geometry, j) ? geometry.contacts[j].distance : PairGeometry::kUnmeasured;
}

// The (reference, target) distances the tests compared.
std::vector<std::pair<double, double>> comparedDistances(const PairGeometry& g) {
  std::vector<std::pair<double, double>> compared = {
      {g.c1[kReference], g.c1[kTarget]}, {g.c2[kReference], g.c2[kTarget]}, {g.c5[kReference], g.c5[kTarget]}};
  for (int j = 0; j < 2; ++j) compared.emplace_back(referenceContact(g, j), targetContact(g, j));
  return compared;
}

int sideOfTolerance(double a, double b, double tolerance) {
  double difference = std::fabs(a - b);
  return (difference > tolerance) - (difference < tolerance);
}

bool roundingKeepsDecision(const PairGeometry& geometry, double tolerance) {
  for (auto [reference, target] : comparedDistances(geometry)) {
    if (std::isnan(reference) || std::isnan(target)) continue;
    if (sideOfTolerance(reference, target, tolerance) !=
        sideOfTolerance(asWritten(reference), asWritten(target), asWritten(tolerance)))
      return false;
  }
  return true;
}

std::string contactName(const PairGeometry& geometry, int j) {
  if (!hasContact(geometry, j)) return "NA";
  const AtomInteraction& c = geometry.contacts[j];
  return std::string(c.donorAtom) + "(" + std::to_string(c.donorResidue + 1) + ")-" + c.acceptorAtom + "(" +
         std::to_string(c.acceptorResidue + 1) + ")";
}

const char* orientationName(int orientation) {
  if (orientation == 0) return "straight";
  return orientation == 1 ? "swapped" : "NA";
}

const char* decisionName(const PairEvidence& row) {
  if (row.accepted) return "accepted";
  return row.keptAnyway ? "kept" : "rejected";
}

// A target non-inferable pair has no reference counterpart.
std::string referencePairText(const PairEvidence& row) {
  return row.group == kGroupTargetNonInferable ? "NA" : formatPairBexora(row.referencePair);
}

// The tolerance and both DPIs, the same on every row, in both forms of
// number(): formatted once per table rather than once per row.
struct TableNumbers {
  double tolerance;
  std::array<std::array<std::string, 3>, 2> text;  // [everyDigit][tolerance, dpi reference, dpi target]

  explicit TableNumbers(const MappingState& state) : tolerance(state.tolerance) {
    for (bool everyDigit : {false, true})
      text[everyDigit] = {number(state.tolerance, everyDigit), number(state.dpi[kReference], everyDigit),
                          number(state.dpi[kTarget], everyDigit)};
  }
};

// Fields go straight onto the table, each after a tab but the first.
void appendRow(std::string& out, const PairEvidence& row, const TableNumbers& table) {
  const PairGeometry& g = row.geometry;
  bool everyDigit = !roundingKeepsDecision(g, table.tolerance);
  auto field = [&out](const std::string& text) {
    out += '\t';
    out += text;
  };
  auto num = [&](double value) { field(number(value, everyDigit)); };
  out += groupName(row.group);
  for (const std::string& text : {std::string(decisionName(row)),
                                  std::string(reasonName(row.reason)), referencePairText(row),
                                  formatPairBexora(row.targetPair)})
    field(text);
  for (const std::string& text : table.text[everyDigit]) field(text);
  for (const auto& distances : {g.c1, g.c2, g.c5}) {
    num(distances[kReference]);
    num(distances[kTarget]);
  }
  for (int j = 0; j < 2; ++j) {
    field(contactName(g, j));
    num(referenceContact(g, j));
    num(targetContact(g, j));
  }
  field(orientationName(g.orientation));
  out += '\n';
}

}  // namespace

const char* groupName(AssessGroup group) {
  switch (group) {
    case kGroupCommon: return "common";
    case kGroupRefInferable: return "reference-inferable";
    case kGroupTargetInferable: return "target-inferable";
    default: return "target-non-inferable";
  }
}

const char* reasonName(AssessReason reason) {
  switch (reason) {
    case AssessReason::kAcceptAll: return "accept-all";
    case AssessReason::kMissingC1: return "missing-c1";
    case AssessReason::kC1: return "c1";
    case AssessReason::kC2: return "c2";
    case AssessReason::kC5: return "c5";
    case AssessReason::kEdgeAtoms: return "edge-atoms";
    case AssessReason::kLetters: return "letters";
    case AssessReason::kContacts: return "contacts";
    case AssessReason::kAgrees: return "agrees";
    case AssessReason::kTargetPaired: return "target-paired";
    case AssessReason::kEdgeTaken: return "edge-taken";
    case AssessReason::kNoContact: return "no-contact";
    case AssessReason::kContactsUnmeasured: return "contacts-unmeasured";
    default: return "differs";
  }
}

std::string evidenceTable(const MappingState& state) {
  std::string out = kHeader;
  const TableNumbers table(state);
  for (const PairEvidence& row : state.evidence) appendRow(out, row, table);
  return out;
}

bool writeEvidenceFile(const std::string& path, const MappingState& state,
                       OutputGroup* group) {
  return writeFilesTogether({{path, evidenceTable(state)}}, group).empty();
}

}  // namespace bexora
