#include "model/modified_nucleotides.h"

#include <algorithm>
#include <array>

namespace bexora {

namespace {

struct Parent {
  std::string_view name;
  char base;
};

// The chemical component dictionary's parents of the modifications seen in
// deposited RNA structures; a short table, searched in order.
constexpr std::array<Parent, 62> kParents = {{
    {"1MA", 'A'}, {"1MG", 'G'}, {"2MA", 'A'}, {"2MG", 'G'}, {"2MU", 'U'}, {"3AU", 'U'}, {"4AC", 'C'},
    {"4OC", 'C'}, {"4SU", 'U'}, {"5BU", 'U'}, {"5MC", 'C'}, {"5MU", 'U'}, {"6IA", 'A'}, {"6MZ", 'A'},
    {"7MG", 'G'}, {"A", 'A'},   {"A23", 'A'}, {"A2M", 'A'}, {"ADE", 'A'}, {"C", 'C'},   {"CCC", 'C'},
    {"CYT", 'C'}, {"DHU", 'U'}, {"G", 'G'},   {"G7M", 'G'}, {"GDP", 'G'}, {"GNP", 'G'}, {"GTP", 'G'},
    {"GUA", 'G'}, {"H2U", 'U'}, {"I", 'G'},   {"IU", 'U'},  {"M2G", 'G'}, {"MA6", 'A'}, {"MIA", 'A'},
    {"MTU", 'A'}, {"OMC", 'C'}, {"OMG", 'G'}, {"OMU", 'U'}, {"PSU", 'U'}, {"QUO", 'G'}, {"RA", 'A'},
    {"RC", 'C'},  {"RG", 'G'},  {"RU", 'U'},  {"S4U", 'U'}, {"SSU", 'U'}, {"T6A", 'A'}, {"THX", 'G'},
    {"U", 'U'},   {"UR3", 'U'}, {"URA", 'U'}, {"URI", 'U'}, {"YG", 'G'},  {"YYG", 'G'}, {"ZAD", 'A'},
    {"5FU", 'U'}, {"70U", 'U'}, {"CM0", 'U'}, {"MNU", 'U'}, {"UD5", 'U'}, {"PPU", 'A'},
}};

}  // namespace

char parentBase(std::string_view residueName) {
  const auto* found = std::find_if(kParents.begin(), kParents.end(),
                                   [residueName](const Parent& p) { return p.name == residueName; });
  return found == kParents.end() ? '\0' : found->base;
}

}  // namespace bexora
