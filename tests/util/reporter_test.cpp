#include "util/reporter.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace bexora {
namespace {

TEST(Reporter, KeepsTextAndOrderAndSendsRecordsOnlyWhenWanted) {
  std::string text, records;
  Reporter reporter = collectingReporter(text, &records);
  reporter.say("a %d\n", 1);
  reporter.limitReached("Atom table", 5, "x.pdb");
  reporter.lineOf(7, "x.pdb");
  reporter.record("run mode=%s", "single");
  EXPECT_EQ(text, "a 1\nWarning!!! Atom table limit of 5 reached in x.pdb; the rest is ignored.\n(line 7 of x.pdb)\n");
  EXPECT_EQ(records, "run mode=single\n");

  std::string quiet;
  Reporter noRecords = collectingReporter(quiet);
  EXPECT_FALSE(noRecords.recordsWanted());
  Reporter silent;
  silent.say("dropped\n");
  silent.pause();
  EXPECT_FALSE(silent.recordsWanted());
}

}  // namespace
}  // namespace bexora
