#include "structure/atom_sink.h"

#include <array>
#include <cmath>
#include <cstring>

#include "model/basepair.h"

namespace bexora {

namespace {

constexpr double kMaxCoordinate = 1e4;  // angstrom, either sign: far beyond any assembly

uint64_t nameKey(const AtomInfo& a) {
  uint64_t key = 0;
  for (char c : a.atomName) key = key << 8 | static_cast<unsigned char>(c);
  return key;
}

// Every stored atom belongs to the requested chain, so the residue key decides.
bool residueBefore(const AtomInfo& a, const AtomInfo& b) {
  return compareResidues(a.resSeqNo, a.iCode, b.resSeqNo, b.iCode) < 0;
}

bool nameBefore(const AtomInfo& a, const AtomInfo& b) { return nameKey(a) < nameKey(b); }

bool sameAtom(const AtomInfo& a, const AtomInfo& b) {
  return a.resSeqNo == b.resSeqNo && a.iCode == b.iCode && nameKey(a) == nameKey(b);
}

// Stable: of equal names the one read first stays first. Small residues sort
// their keys and move each atom once.
void sortResidueByName(std::vector<AtomInfo>::iterator first, std::vector<AtomInfo>::iterator last) {
  constexpr std::size_t kSmall = 64;
  std::size_t n = static_cast<std::size_t>(last - first);
  if (n > kSmall) {
    std::stable_sort(first, last, nameBefore);
    return;
  }
  std::array<std::pair<uint64_t, std::size_t>, kSmall> keys;
  for (std::size_t i = 0; i < n; ++i) keys[i] = {nameKey(first[static_cast<std::ptrdiff_t>(i)]), i};
  bool moved = false;
  for (std::size_t i = 1; i < n; ++i)
    for (std::size_t j = i; j > 0 && keys[j].first < keys[j - 1].first; --j, moved = true) std::swap(keys[j], keys[j - 1]);
  if (!moved) return;
  std::array<AtomInfo, kSmall> copy;
  std::copy(first, last, copy.begin());
  for (std::size_t i = 0; i < n; ++i) first[static_cast<std::ptrdiff_t>(i)] = copy[keys[i].second];
}

}  // namespace

bool isStandardName(std::string_view name) { return name.size() == 1 && isStandardBase(name.front()); }

const char* atomNumbersFault(const AtomInfo& atom, bool coordinatesGiven) {
  for (double coordinate : {atom.x, atom.y, atom.z})
    if (!coordinatesGiven || !(std::fabs(coordinate) < kMaxCoordinate))
      return "has a coordinate that is missing, not finite or beyond 10000 angstrom";
  if (!std::isfinite(atom.occupancy) || !std::isfinite(atom.tempFactor))
    return "has an occupancy or temperature factor that is not finite";
  return nullptr;
}

void nameAsUridine(AtomInfo& atom) {
  static constexpr std::pair<const char*, const char*> kPlaces[] = {{"C5", "N1"}, {"N1", "C5"}, {"C4", "C2"},
                                                                    {"C2", "C4"}, {"O4", "O2"}, {"O2", "O4"}};
  for (const auto& [pseudouridine, uridine] : kPlaces)
    if (std::strcmp(atom.atomName, pseudouridine) == 0) {
      setField(atom.atomName, uridine);
      return;
    }
}

uint64_t atomNameDigest(std::initializer_list<std::string_view> fields) {
  uint64_t digest = 14695981039346656037ull;
  for (std::string_view text : fields) {
    for (char c : text) digest = (digest ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    digest = (digest ^ 0xffu) * 1099511628211ull;
  }
  return digest;
}

void setAtomName(AtomInfo& atom, std::string_view name) {
  std::string modern(name);
  std::replace(modern.begin(), modern.end(), '*', '\'');
  if (modern.size() == 3 && modern[0] == 'O' && modern[2] == 'P' && modern[1] >= '1' && modern[1] <= '3')
    modern = std::string("OP") + modern[1];
  setField(atom.atomName, modern);
}

void sortAndKeepFirst(std::vector<AtomInfo>& atoms) {
  if (!std::is_sorted(atoms.begin(), atoms.end(), residueBefore))
    std::stable_sort(atoms.begin(), atoms.end(), residueBefore);
  for (auto first = atoms.begin(); first != atoms.end();) {
    auto last = std::find_if(first, atoms.end(), [&](const AtomInfo& a) { return residueBefore(*first, a); });
    sortResidueByName(first, last);
    first = last;
  }
  atoms.erase(std::unique(atoms.begin(), atoms.end(), sameAtom), atoms.end());
}

}  // namespace bexora
