// Where the atoms of one chain go while a structure file is read, in either
// format: which atoms are wanted, modified nucleotides waiting for their
// parent's letter, repeated atoms, the table's limit, and the final sort
// that the atom searches rely on.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/model.h"
#include "model/modified_nucleotides.h"
#include "util/reporter.h"

namespace bexora {

bool isStandardName(std::string_view name);

// The fault of the atom's numbers, or nullptr when they are usable. The
// three coordinates must be given; a missing occupancy or temperature factor reads 0.
const char* atomNumbersFault(const AtomInfo& atom, bool coordinatesGiven);

// Pseudouridine's base is joined to the sugar at C5, not N1: read as
// uridine, its ring atoms take the names of the uridine atoms in their
// places, so that its edges and distances are measured where a U's are.
void nameAsUridine(AtomInfo& atom);

// A 64-bit digest of the fields that name an atom, each field closed by a
// byte no name holds.
uint64_t atomNameDigest(std::initializer_list<std::string_view> fields);

// Atom names of the old PDB convention (C1*, O2*, O1P, O2P, before 2007)
// read as today's (C1', O2', OP1, OP2), so that every measurement finds them.
void setAtomName(AtomInfo& atom, std::string_view name);

// Sorted by compareAtoms for binary search; of atoms met twice (alternate
// locations) the first one read stays.
void sortAndKeepFirst(std::vector<AtomInfo>& atoms);

// Parents of modified nucleotides: those the file names (MODRES,
// _pdbx_struct_mod_residue) first, else the built-in table, which is asked
// only about residues of the chain's sequence, so that a free ligand such as
// ADE is not read as a nucleotide. A PDB file's SEQRES names the sequence;
// without it every residue counts as part of it.
class ModifiedParents {
 public:
  void addParent(std::string_view name, std::string_view parent) {
    if (isStandardName(parent)) named_.emplace(name, parent.front());
  }
  void addSequenceName(std::string_view name) { sequence_.emplace(name); }

  // The parent letter, or '\0' for a residue that is not a nucleotide.
  char parentOf(std::string_view name) const {
    auto found = named_.find(name);
    if (found != named_.end()) return found->second;
    return inSequence(name) ? parentBase(name) : '\0';
  }

 private:
  bool inSequence(std::string_view name) const { return sequence_.empty() || sequence_.count(name) > 0; }

  std::map<std::string, char, std::less<>> named_;
  std::set<std::string, std::less<>> sequence_;
};

// The atoms a file names, every chain and model, each once: an atom line
// repeating one read before (same model, chain, residue, insertion code,
// atom name and alternate location) adds nothing to the DPI's atom count.
// Open addressing over the digests keeps it at a few bytes per atom.
class AtomNameSet {
 public:
  // False when the name was added before.
  bool insert(uint64_t digest) {
    digest = digest == 0 ? 1 : digest;
    if (2 * (size_ + 1) > slots_.size()) grow();
    for (std::size_t at = slotOf(digest);; at = (at + 1) & (slots_.size() - 1)) {
      if (slots_[at] == digest) return false;
      if (slots_[at] != 0) continue;
      slots_[at] = digest;
      ++size_;
      return true;
    }
  }
  std::size_t size() const { return size_; }

 private:
  std::size_t slotOf(uint64_t digest) const {
    return static_cast<std::size_t>((digest * 0x9E3779B97F4A7C15ull) >> 32) & (slots_.size() - 1);
  }
  void grow() {
    std::vector<uint64_t> old(std::max<std::size_t>(1024, 2 * slots_.size()), 0);
    old.swap(slots_);
    size_ = 0;
    for (uint64_t digest : old)
      if (digest != 0) insert(digest);
  }

  std::vector<uint64_t> slots_;
  std::size_t size_ = 0;
};

// Shared by both formats: where atoms go and which of them are wanted.
// Atoms of non-standard residues wait in `pending` until the whole file has
// named its parents (mmCIF lists them after the atoms).
struct AtomSink {
  AtomSink(std::vector<AtomInfo>& table, const std::string& chain, const std::string& file, const Reporter& messages,
           bool modified)
      : atoms(table), chainId(chain), path(file), reporter(messages), readModified(modified) {}

  std::vector<AtomInfo>& atoms;
  const std::string& chainId;
  const std::string& path;
  const Reporter& reporter;
  bool readModified;
  bool parentsKnown = false;  // a PDB file names parents before its atoms
  bool full = false;
  ModifiedParents parents;
  std::vector<std::pair<std::size_t, std::string>> pending;
  AtomNameSet atomNames;
  std::size_t repeatedAtoms = 0;
  long firstRepeatLine = 0;

  // Every atom line of the file, whatever its chain, passes here once.
  void nameAtom(uint64_t digest, long line) {
    if (atomNames.insert(digest)) return;
    if (repeatedAtoms++ == 0) firstRepeatLine = line;
  }

  // The DPI's atom count; repeats are told once per structure.
  int32_t distinctAtoms() const {
    if (repeatedAtoms > 0)
      reporter.warn("%zu atom lines of %s repeat an atom named before (same model, chain, residue, insertion "
                   "code, atom name and alternate location), the first at line %ld; the first of each is kept and "
                   "counted.\n",
                   repeatedAtoms, path.c_str(), firstRepeatLine);
    return static_cast<int32_t>(std::min<std::size_t>(atomNames.size(), std::numeric_limits<int32_t>::max()));
  }

  bool wants(std::string_view chain) const { return chain == chainId; }

  // The slot for the next atom, or nullptr once the table is full.
  AtomInfo* next() {
    if (atoms.size() >= kMaxAtoms) {
      if (!full) reporter.limitReached("Atom table", kMaxAtoms, path);
      full = true;
      return nullptr;
    }
    atoms.emplace_back();
    return &atoms.back();
  }

  // The slot for an atom of residue `name`, or nullptr when it is not read.
  AtomInfo* nextOf(std::string_view name) {
    bool standard = isStandardName(name);
    if (!standard && (!readModified || (parentsKnown && !parents.parentOf(name)))) return nullptr;
    AtomInfo* atom = next();
    if (atom && !standard) pending.emplace_back(atoms.size() - 1, name);
    return atom;
  }

  // Gives waiting atoms their parent's letter and drops those without one.
  void settlePending() {
    if (pending.empty()) return;
    for (const auto& [index, name] : pending) {
      atoms[index].residueName = parents.parentOf(name);
      if (name == "PSU") nameAsUridine(atoms[index]);
    }
    atoms.erase(std::remove_if(atoms.begin(), atoms.end(), [](const AtomInfo& a) { return a.residueName == '\0'; }),
                atoms.end());
  }

  void warnLine(const char* problem, long line) const {
    reporter.warn("Line %ld of %s %s; the line is ignored.\n", line, path.c_str(), problem);
  }

  // Takes back the atom just filled when its numbers cannot be physical.
  void keepIfUsable(bool coordinatesGiven, long line) {
    const char* fault = atomNumbersFault(atoms.back(), coordinatesGiven);
    if (!fault) return;
    if (!pending.empty() && pending.back().first == atoms.size() - 1) pending.pop_back();
    atoms.pop_back();
    warnLine(fault, line);
  }
};

}  // namespace bexora
