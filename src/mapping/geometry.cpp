#include "mapping/geometry.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <iterator>

#include "model/basepair.h"
#include "model/edge_atoms.h"

namespace bexora {

namespace {

// Compares an atom's residue with a key, in atom-table order.
int compResidue(const AtomInfo& atom, const char* chainId, int32_t resSeqNo, char iCode) {
  if (int d = std::strcmp(atom.chainId, chainId)) return d;
  return compareResidues(atom.resSeqNo, atom.iCode, resSeqNo, iCode);
}

// The atoms of one residue, a contiguous span of the sorted table.
struct ResidueSpan {
  const AtomInfo* begin;
  const AtomInfo* end;
};

ResidueSpan findResidue(const std::vector<AtomInfo>& atoms, const char* chainId, int32_t resSeqNo, char iCode) {
  const AtomInfo* first = atoms.data();
  const AtomInfo* last = first + atoms.size();
  const AtomInfo* begin = std::lower_bound(
      first, last, 0, [&](const AtomInfo& atom, int) { return compResidue(atom, chainId, resSeqNo, iCode) < 0; });
  const AtomInfo* end = std::upper_bound(
      begin, last, 0, [&](int, const AtomInfo& atom) { return compResidue(atom, chainId, resSeqNo, iCode) > 0; });
  return {begin, end};
}

const AtomInfo* findInResidue(ResidueSpan span, const char* atomName) {
  const AtomInfo* hit = std::lower_bound(span.begin, span.end, atomName, [](const AtomInfo& atom, const char* name) {
    return std::strcmp(atom.atomName, name) < 0;
  });
  return hit != span.end && std::strcmp(hit->atomName, atomName) == 0 ? hit : nullptr;
}

void locateEdge(ResidueSpan span, const EdgeAtomSet& names, LocatedEdgeAtoms& located, bool& allEdgeAtomsFound) {
  located = LocatedEdgeAtoms{};
  located.names = &names;
  for (int i = 0; i < names.acceptorCount; ++i) {
    located.acceptors[i] = findInResidue(span, names.acceptorAtoms[i]);
    if (!located.acceptors[i]) allEdgeAtomsFound = false;
  }
  for (int i = 0; i < names.donorCount; ++i) {
    located.donors[i] = findInResidue(span, names.donorAtoms[i]);
    if (!located.donors[i]) allEdgeAtomsFound = false;
  }
}

AtomInteraction makeContact(const LocatedEdgeAtoms& donorSide, int donorSlot, int donorResidue,
                            const LocatedEdgeAtoms& acceptorSide, int acceptorSlot) {
  AtomInteraction contact{};
  contact.distance = distance3D(*donorSide.donors[donorSlot], *acceptorSide.acceptors[acceptorSlot]);
  setField(contact.donorAtom, donorSide.names->donorAtoms[donorSlot]);
  contact.donorResidue = donorResidue;
  setField(contact.acceptorAtom, acceptorSide.names->acceptorAtoms[acceptorSlot]);
  contact.acceptorResidue = 1 - donorResidue;
  return contact;
}

// Appends every measurable contact from a donor of `donorResidue` to an
// acceptor of the other end.
void addCandidates(const std::array<LocatedEdgeAtoms, 2>& located, int donorResidue, AtomInteraction* out, int& count) {
  const LocatedEdgeAtoms& donorSide = located[donorResidue];
  const LocatedEdgeAtoms& acceptorSide = located[1 - donorResidue];
  if (!donorSide.names || !acceptorSide.names) return;
  for (int d = 0; d < donorSide.names->donorCount; ++d) {
    if (!donorSide.donors[d]) continue;
    for (int a = 0; a < acceptorSide.names->acceptorCount; ++a) {
      if (acceptorSide.acceptors[a]) out[count++] = makeContact(donorSide, d, donorResidue, acceptorSide, a);
    }
  }
}

// Slot of `name` among the first `count` names, or -1.
int findName(const char (*names)[kEdgeAtomNameWidth + 1], int count, const char* name) {
  for (int i = 0; i < count; ++i) {
    if (std::strcmp(names[i], name) == 0) return i;
  }
  return -1;
}

}  // namespace

double distance3D(double x1, double y1, double z1, double x2, double y2, double z2) {
  double dx = x1 - x2;
  double dy = y1 - y2;
  double dz = z1 - z2;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

double distance3D(const AtomInfo& a, const AtomInfo& b) { return distance3D(a.x, a.y, a.z, b.x, b.y, b.z); }

void findAtoms(const std::vector<AtomInfo>& atoms, const BPInfo& pair, const std::array<EdgeAtomSet, 2>& sets,
               std::array<ResidueAtoms, 2>& found, bool& allEdgeAtomsFound) {
  for (int k = 0; k < 2; ++k) {
    ResidueSpan span = findResidue(atoms, pair.chainId[k], pair.resSeqNo[k], pair.iCode[k]);
    ResidueAtoms& residue = found[k];
    residue.c1 = findInResidue(span, "C1'");
    residue.c2 = findInResidue(span, "C2");
    residue.c5 = findInResidue(span, "C5");
    locateEdge(span, sets[k], residue.edge, allEdgeAtomsFound);
  }
}

bool hasSameAtom(const AtomInteraction& a, const AtomInteraction& b) {
  bool sameDonor = a.donorResidue == b.donorResidue && std::strcmp(a.donorAtom, b.donorAtom) == 0;
  bool sameAcceptor = a.acceptorResidue == b.acceptorResidue && std::strcmp(a.acceptorAtom, b.acceptorAtom) == 0;
  return sameDonor || sameAcceptor;
}

void closestNInteractions(const std::array<LocatedEdgeAtoms, 2>& located, int& n, AtomInteraction* out) {
  std::array<AtomInteraction, kMaxCandidateContacts> candidates;
  int count = 0;
  addCandidates(located, 0, candidates.data(), count);
  addCandidates(located, 1, candidates.data(), count);
  // Exact distances order the candidates; near-equal ones keep build order.
  std::stable_sort(candidates.begin(), candidates.begin() + count,
                   [](const AtomInteraction& a, const AtomInteraction& b) { return a.distance < b.distance; });
  int taken = 0;
  for (int c = 0; c < count && taken < n; ++c) {
    bool clash = std::any_of(out, out + taken, [&](const AtomInteraction& t) { return hasSameAtom(t, candidates[c]); });
    if (!clash) out[taken++] = candidates[c];
  }
  n = taken;
}

void getCorrespondingDistance(const std::array<LocatedEdgeAtoms, 2>& located, int orientation, int n,
                              const AtomInteraction* contacts, AtomInteraction* out) {
  for (int j = 0; j < n; ++j) {
    AtomInteraction& result = out[j];
    result = AtomInteraction{};
    result.distance = kNotMeasured;
    int donorEnd = orientation == 0 ? contacts[j].donorResidue : 1 - contacts[j].donorResidue;
    const LocatedEdgeAtoms& donorSide = located[donorEnd];
    const LocatedEdgeAtoms& acceptorSide = located[1 - donorEnd];
    if (!donorSide.names || !acceptorSide.names) continue;
    int d = findName(donorSide.names->donorAtoms, donorSide.names->donorCount, contacts[j].donorAtom);
    if (d < 0) continue;
    setField(result.donorAtom, donorSide.names->donorAtoms[d]);
    result.donorResidue = donorEnd;
    int a = findName(acceptorSide.names->acceptorAtoms, acceptorSide.names->acceptorCount, contacts[j].acceptorAtom);
    if (a < 0) continue;
    setField(result.acceptorAtom, acceptorSide.names->acceptorAtoms[a]);
    result.acceptorResidue = 1 - donorEnd;
    if (donorSide.donors[d] && acceptorSide.acceptors[a])
      result.distance = distance3D(*donorSide.donors[d], *acceptorSide.acceptors[a]);
  }
}

}  // namespace bexora
