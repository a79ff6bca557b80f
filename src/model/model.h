// Records, capacities, the method table and the residue order shared by
// every module.
// The atom, quality, base-pair and residue-map records live here so that
// readers, aligners and the mapping code agree on one layout; the fixed
// widths of their text fields are truncation limits, never overrun.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bexora {

constexpr int kSides = 2;
constexpr int kReference = 0;
constexpr int kTarget = 1;

// Sized for the largest chains deposited: a 28S rRNA of about 5,000
// residues has some 107,000 heavy atoms, twice that with hydrogens. Tables
// grow with the data; these only bound them.
constexpr std::size_t kMaxAtoms = 500000;
constexpr std::size_t kMaxBasePairs = 100000;
constexpr std::size_t kMaxChainResidues = 7000;
constexpr std::size_t kMaxMethodEntries = 5;
constexpr int kPassSlots = 12;

constexpr std::size_t kPdbIdWidth = 4;
constexpr std::size_t kChainIdWidth = 4;
constexpr std::size_t kAtomNameWidth = 5;
constexpr std::size_t kEdgeWidth = 4;
constexpr int kMaxEdges = 3;
constexpr std::size_t kStackInfoWidth = 11;
constexpr std::size_t kDescriptionWidth = 26;

constexpr const char* kDefaultInputFolder = "./io_data/Input/";
constexpr const char* kDefaultOutputFolder = "./io_data/Output/";

enum Method : int { kMcAnnotate = 0, kRnaView = 1, kFr3d = 2, kDssr = 3, kClaRna = 4 };
constexpr int kMethodCount = 5;

// What names a method: the tool, its token in a "-M" list and in the
// verbose records, and the endings of its input and output files.
struct MethodInfo {
  const char* name;        // "MC-Annotate"
  const char* token;       // "MC"
  const char* input;       // ".mca.out"
  const char* output;      // ".mca.bexora"
  const char* outputOrig;  // with the tool's own line form (-O)
};

constexpr MethodInfo kMethods[kMethodCount] = {
    {"MC-Annotate", "MC", ".mca.out", ".mca.bexora", ".mca.orig.bexora"},
    {"RNAView", "RV", ".rv.out", ".rv.bexora", ".rv.orig.bexora"},
    {"FR3D", "FR", ".fr3d.out", ".fr3d.bexora", ".fr3d.bexora"},
    {"DSSR", "DS", ".dssr.out", ".dssr.bexora", ".dssr.bexora"},
    {"ClaRNA", "CLA", ".cr.out", ".clarna.bexora", ".clarna.bexora"},
};

// Full tool name ("MC-Annotate"), or nullptr for an id outside 0..4.
const char* methodName(int method);
// Token of a "-M" list and of the verbose records ("MC", "RV", "FR", "DS", "CLA").
const char* methodToken(int method);
// The method a "-M" word names, its token or the tool's name in any case
// ("rv", "RNAView", "MC-ANNOTATE"); -1 for any other word.
int methodNamed(std::string_view word);

// The one order of residues within a chain: number, then insertion code as
// an unsigned byte, so that a code above 127 sorts and is searched for alike
// in atom tables, residue maps and pair lists.
constexpr int compareResidues(int32_t numberA, char codeA, int32_t numberB, char codeB) {
  if (numberA != numberB) return numberA < numberB ? -1 : 1;
  return static_cast<int>(static_cast<unsigned char>(codeA)) - static_cast<int>(static_cast<unsigned char>(codeB));
}

struct AtomInfo {
  char atomName[kAtomNameWidth + 1];
  char residueName;
  char chainId[kChainIdWidth + 1];
  int32_t resSeqNo;
  char iCode;
  double x, y, z;
  double occupancy;
  double tempFactor;
};

// The order of every atom table, which the structure reader sorts by and
// the atom searches rely on: chain, residue, atom name.
int compareAtoms(const AtomInfo& a, const AtomInfo& b);

// Where a structure's DPI came from: its quality record, nowhere (0), or
// the value the user gave for structures without one.
enum class DpiSource { kComputed, kUnknown, kOption };

// Quality of one structure; 0 stands for a value the file does not give.
struct RefineInfo {
  double completeness = 0;
  double resolution = 0;
  double freeRValue = 0;
  int32_t noOfAtoms = 0;
  int32_t noOfReflections = 0;
  double dpi = 0;
  DpiSource dpiSource = DpiSource::kUnknown;
};

enum PairSource : int32_t { kSourceTool = 0, kSourceBexora = 1, kSourceBoth = 2 };

struct BPInfo {
  char chainId[2][kChainIdWidth + 1];
  int32_t resSeqNo[2];
  char iCode[2];
  char nucleotide[2];
  char edge[kMaxEdges][2][kEdgeWidth + 1];
  int32_t edgeCount;
  char stackInfo[kStackInfoWidth + 1];
  int32_t parallel;  // 1 parallel, 0 antiparallel, -1 not given
  char orientation;  // 'c', 't' or NUL
  char description[kDescriptionWidth + 1];
  double weight;
  int32_t source;
};

// A record as every reader starts it: blank insertion codes, nothing else set.
BPInfo makeEmptyBPInfo();

struct ResidueMapEntry {
  char nucleotide;
  int32_t identical;
  int32_t resSeqNo;
  char iCode;
  int32_t mapIndex;  // index into the partner chain's entries, -1 for a gap
};

struct ChainResidueMap {
  char chainId[kChainIdWidth + 1] = {};
  char pairChainId[kChainIdWidth + 1] = {};
  std::vector<ResidueMapEntry> entries;  // at most kMaxChainResidues
  int32_t length() const { return static_cast<int32_t>(entries.size()); }
};

// One structure of a residue map; it holds at most one chain.
struct StructureResidueMap {
  char pdbId[kPdbIdWidth + 1] = {};
  int32_t chainCount = 0;
  ChainResidueMap chain;
};

using ResidueMapPair = std::array<StructureResidueMap, kSides>;

// Copies `n` bytes of text into a fixed field of `size` bytes, cutting at
// the field's width; the field is always terminated.
void copyField(char* field, std::size_t size, std::string_view text);
template <std::size_t N>
void setField(char (&field)[N], std::string_view text) {
  copyField(field, N, text);
}

}  // namespace bexora
