#include "model/modified_nucleotides.h"

#include <gtest/gtest.h>

namespace bexora {
namespace {

TEST(ParentBase, KnownModificationsStandardNamesAndUnknowns) {
  const struct {
    const char* name;
    char parent;
  } cases[] = {{"PSU", 'U'}, {"2MG", 'G'}, {"G7M", 'G'}, {"7MG", 'G'}, {"5MC", 'C'}, {"1MA", 'A'}, {"H2U", 'U'},
               {"YYG", 'G'}, {"G", 'G'},   {"RG", 'G'},  {"HOH", '\0'}, {"", '\0'},  {"psu", '\0'}};
  for (const auto& c : cases) EXPECT_EQ(parentBase(c.name), c.parent) << c.name;
}

}  // namespace
}  // namespace bexora
