#include "model/edge_atoms.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <map>
#include <set>

#include "model/basepair.h"

namespace bexora {

namespace {

struct EdgeAtomRow {
  char edge;  // W, H, S, or 0 for all edges
  char base;
  const char* donors[kMaxEdgeAtoms];  // unused slots are null
  const char* acceptors[kMaxEdgeAtoms];
};

const EdgeAtomRow kEdgeAtomRows[] = {
    {'W', 'A', {"N6", "C2"}, {"N1"}},
    {'W', 'G', {"N1", "N2"}, {"O6"}},
    {'W', 'C', {"N4"}, {"O2", "N3"}},
    {'W', 'U', {"N3"}, {"O2", "O4"}},
    {'H', 'A', {"N6", "C8"}, {"N7"}},
    {'H', 'G', {"C8"}, {"O6", "N7"}},
    {'H', 'C', {"N4", "C5", "C6"}, {}},
    {'H', 'U', {"C5"}, {"O4"}},
    {'S', 'A', {"C2", "O2'"}, {"N3", "N1"}},
    {'S', 'G', {"N2", "O2'"}, {"N3"}},
    {'S', 'C', {"O2'"}, {"O2"}},
    {'S', 'U', {"O2'"}, {"O2"}},
    {0, 'A', {"N6", "C2", "C8", "O2'"}, {"N1", "N3", "N7"}},
    {0, 'G', {"N1", "N2", "C8", "O2'"}, {"O6", "N7", "N3"}},
    {0, 'C', {"N4", "C5", "C6", "O2'"}, {"O2", "N3"}},
    {0, 'U', {"N3", "C5", "O2'"}, {"O2", "O4"}},
};

int fillNames(char (&names)[kMaxEdgeAtoms][kEdgeAtomNameWidth + 1], const char* const (&list)[kMaxEdgeAtoms]) {
  int count = 0;
  while (count < kMaxEdgeAtoms && list[count]) {
    setField(names[count], list[count]);
    ++count;
  }
  return count;
}

char edgeRowKey(char edgeLetter) {
  char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(edgeLetter)));
  return isWHS(upper) ? upper : 0;
}

}  // namespace

EdgeAtomSet getEdgeAtomName(char edgeLetter, char baseLetter) {
  EdgeAtomSet set{};
  set.edgeLetter = edgeLetter;
  set.baseLetter = baseLetter;
  char edge = edgeRowKey(edgeLetter);
  char base = static_cast<char>(std::toupper(static_cast<unsigned char>(baseLetter)));
  for (const EdgeAtomRow& row : kEdgeAtomRows) {
    if (row.edge == edge && row.base == base) {
      set.donorCount = fillNames(set.donorAtoms, row.donors);
      set.acceptorCount = fillNames(set.acceptorAtoms, row.acceptors);
      return set;
    }
  }
  return set;
}

bool isEdgeTableBase(char baseLetter) {
  char base = static_cast<char>(std::toupper(static_cast<unsigned char>(baseLetter)));
  return std::any_of(std::begin(kEdgeAtomRows), std::end(kEdgeAtomRows),
                     [base](const EdgeAtomRow& row) { return row.base == base; });
}

std::vector<std::string> measuredAtomsAbsent(const std::vector<AtomInfo>& atoms) {
  std::map<char, std::set<std::string>> namesByBase;
  for (const AtomInfo& atom : atoms)
    if (isEdgeTableBase(atom.residueName)) namesByBase[atom.residueName].insert(atom.atomName);
  std::vector<std::string> absent;
  auto check = [&absent](const std::set<std::string>& present, const char* name) {
    if (!present.count(name) && std::find(absent.begin(), absent.end(), name) == absent.end()) absent.push_back(name);
  };
  for (const auto& [base, present] : namesByBase) {
    for (const char* name : {"C1'", "C2", "C5"}) check(present, name);
    EdgeAtomSet edges = getEdgeAtomName('*', base);
    for (int i = 0; i < edges.donorCount; ++i) check(present, edges.donorAtoms[i]);
    for (int i = 0; i < edges.acceptorCount; ++i) check(present, edges.acceptorAtoms[i]);
  }
  return absent;
}

}  // namespace bexora
