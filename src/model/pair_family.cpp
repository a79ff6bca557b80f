#include "model/pair_family.h"

namespace bexora {

namespace {

struct EdgeWord {
  std::string_view word;
  char edge;
};

// RNAView marks Watson-Crick pairs "+" (G-C) and "-" (A-U) and writes some
// edges in lower case; "." and "?" stay unclassified.
constexpr EdgeWord kRnaViewWords[] = {{"W", 'W'}, {"+", 'W'}, {"-", 'W'}, {"H", 'H'},
                                      {"S", 'S'}, {"w", 'W'}, {"h", 'H'}, {"s", 'S'}};
// MC-Annotate names the edge and the part of it used; the C8 face is the
// purine's Hoogsteen side and O2' belongs to the sugar edge. Bifurcated
// ("Bs", "Bh") and phosphate ("O2P", "OP1") contacts have no family.
constexpr EdgeWord kMcAnnotateWords[] = {{"Ww", 'W'}, {"Wh", 'W'}, {"Ws", 'W'}, {"Hh", 'H'}, {"Hw", 'H'},
                                         {"Hs", 'H'}, {"Ss", 'S'}, {"Sw", 'S'}, {"Sh", 'S'}, {"C8", 'H'},
                                         {"O2'", 'S'}};
// FR3D, DSSR and ClaRNA write the edge as one letter (FR3D's lower case for a
// less central contact is read in upper case).
constexpr EdgeWord kLetterWords[] = {{"W", 'W'}, {"H", 'H'}, {"S", 'S'}};

template <std::size_t N>
char lookUp(const EdgeWord (&table)[N], std::string_view word) {
  for (const EdgeWord& entry : table)
    if (entry.word == word) return entry.edge;
  return '\0';
}

}  // namespace

char lwEdge(int method, std::string_view word) {
  switch (method) {
    case kRnaView: return lookUp(kRnaViewWords, word);
    case kMcAnnotate: return lookUp(kMcAnnotateWords, word);
    case kFr3d:
    case kDssr:
    case kClaRna: return lookUp(kLetterWords, word);
    default: return '\0';
  }
}

std::optional<LwFamily> lwFamily(int method, const BPInfo& pair) {
  if (pair.edgeCount < 1 || (pair.orientation != 'c' && pair.orientation != 't')) return std::nullopt;
  LwFamily family{pair.orientation, {lwEdge(method, pair.edge[0][0]), lwEdge(method, pair.edge[0][1])}};
  if (family.edges[0] == '\0' || family.edges[1] == '\0') return std::nullopt;
  return family;
}

}  // namespace bexora
