#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace bexora::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

constexpr const char* kNoArguments = "Required valid arguments not found.\nPlease check the 'readme' file for details.\n";
constexpr const char* kBadReference = "Reference PDB id doesn't seem correct.\n";
constexpr const char* kBadTarget = "Target PDB id doesn't seem correct.\n";
constexpr const char* kBadDpi = "Option --unknown-dpi needs a DPI in angstrom, a number of 0 or more.\n";
constexpr const char* kBadThreads = "Option -j needs a number of threads from 1 to 1024.\n";
constexpr const char* kLongChain =
    "Warning!!! Single character chain id expected, continuing  with first character anyway.\n";

class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override { makeDirs(dir.file("io_data/Input")); }
  RunResult run(const std::vector<std::string>& args) { return runBexora(args, dir.path()); }
  TempDir dir;
};

struct RejectionCase {
  std::vector<std::string> args;
  std::string output;
};

TEST_F(CommandLine, RejectedFormsPrintTheirMessageAndExitOne) {
  const std::vector<RejectionCase> cases = {
      {{}, kNoArguments},
      {{"1abc"}, kNoArguments},
      {{"-B", "OTHER"}, kNoArguments},
      {{"-X", "BENCHMARK"}, kNoArguments},
      {{"-B", "BENCHMARK", "a", "b"}, std::string(kBadReference) + kBadTarget},
      {{"1ab", "a", "2xyz", "b"}, kBadReference},
      {{"1abcd", "a", "2xyz", "b"}, kBadReference},
      {{"1a-c", "a", "2xyz", "b"}, kBadReference},
      {{"1abc", "a", "2xy", "b"}, kBadTarget},
      {{"1ab", "a", "2x_z", "b"}, std::string(kBadReference) + kBadTarget},
      {{"1abc", "", "2xyz", "b"}, "Reference chain id is empty.\n"},
      {{"1abc", "", "2xyz", ""}, "Reference chain id is empty.\nTarget chain id is empty.\n"},
      {{"1abc", "a", "2xyz", "b", "--unknown-dpi"}, kBadDpi},
      {{"1abc", "a", "2xyz", "b", "--unknown-dpi", "-0.1"}, kBadDpi},
      {{"1abc", "a", "2xyz", "b", "--unknown-dpi", "0.2A"}, kBadDpi},
      {{"1abc", "a", "2xyz", "b", "--unknown-dpi", "nan"}, kBadDpi},
      {{"-L"}, "Option -L needs a manifest file name.\n"},
      {{"-L", "pairs.txt", "-j"}, kBadThreads},
      {{"-L", "pairs.txt", "-j", "0"}, kBadThreads},
      {{"-L", "pairs.txt", "-j", "2x"}, kBadThreads},
      {{"-L", "pairs.txt", "-j", "1025"}, kBadThreads},
      {{"-l", "absent.txt"}, "Manifest ./io_data/Input/absent.txt was not found.\n"},
      {{"1abc", "a", "2xyz", "b", "--modifed"}, "Unknown option --modifed; did you mean --modified?\n"},
      {{"1abc", "a", "2xyz", "b", "-M", "RV", "--Prune-0wn"},
       "Unknown option --Prune-0wn; did you mean --prune-own?\n"},
      {{"1abc", "a", "2xyz", "b", "-j", "2"}, "Unknown option -j; did you mean -V?\n"},
      {{"-L", "pairs.txt", "--stndard-only"}, "Unknown option --stndard-only; did you mean --standard-only?\n"},
      {{"-B", "BENCHMARK", "extra"}, "Unknown option extra; did you mean -V?\n"},
      {{"1abc", "a", "2xyz", "b", "-M", "MC,FR3", "-V"}, "Unknown method FR3; did you mean FR?\n"},
      {{"1abc", "a", "2xyz", "b", "-M", "MC,\x1b]0;T\x07"}, "Unknown method \\x1b]0;T\\x07; did you mean ALL?\n"},
  };
  for (const auto& c : cases) {
    RunResult r = run(c.args);
    EXPECT_EQ(r.out, c.output) << ::testing::PrintToString(c.args);
    EXPECT_EQ(r.status, 1) << ::testing::PrintToString(c.args);
  }
}

struct SelectionCase {
  std::vector<std::string> options;
  std::string runRecord;  // the verbose run record's methods and format
  std::string warnings;   // expected warning text on standard output, "" for none
};

TEST_F(CommandLine, MethodSelectionAndFormatSwitch) {
  std::string longToken(200, 'Q');
  const std::vector<SelectionCase> cases = {
      {{}, "methods=MC reference=1ABC:A target=2XYZ:B origFormat=0", ""},
      {{"-M", "RNAView,FR3D,dssr,ClaRNA,MC-Annotate"}, "methods=RV,FR,DS,CLA,MC ", ""},
      {{"-M", "rv cla"}, "methods=RV,CLA ", ""},
      {{"-M", "MC,MC"}, "methods=MC ", "Warning!!! Method MC is named twice in one list; it runs once.\n"},
      {{"-M", "MC, RV"}, "methods=MC,RV ", ""},
      {{"-M", "MC", "-M", "MC"}, "methods=MC,MC ", ""},
      {{"-M", "all"}, "methods=MC,RV,FR,DS,CLA ", ""},
      {{"-M", "ALL", "-M", "ALL"}, "methods=MC,RV,FR,DS,CLA ",
       "Warning!!! Method list limit of 5 reached; method MC is ignored.\n"},
      {{"-M", "MC,MC,MC,MC,MC,MC,MC,MC,MC,MC,\x1b]0;T\x07"}, "methods=MC ",
       "\"MC,MC,MC,MC,MC,MC,MC,MC,MC,MC,\\x1b]0;T\\x07\" has more than 10 entries; the rest is ignored.\n"},
      {{"-M", longToken}, "methods=MC ", "Warning!!! Method name of 199 or more characters ignored.\n"},
      {{"-F", "original"}, "origFormat=1", ""},
      {{"-M"}, "methods=MC ", ""},
      {{"-M", "--2d"}, "methods=MC ", ""},
      {{"-F", "-M", "CLA"}, "methods=CLA ", ""},
      {{"--unknown-dpi", "0.5", "--max-contact", "3", "--prune-own", "--standard-only", "--2d"}, "methods=MC ", ""},
  };
  for (const auto& c : cases) {
    // "-V" goes first: a trailing option would serve as the value of the one before it.
    std::vector<std::string> args = {"1abc", "a", "2xyz", "b", "-V"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    RunResult r = run(args);
    EXPECT_THAT(r.err, HasSubstr("bexora: run mode=single ")) << ::testing::PrintToString(c.options);
    EXPECT_THAT(r.err, HasSubstr(c.runRecord)) << ::testing::PrintToString(c.options);
    if (c.warnings.empty())
      EXPECT_THAT(r.out, Not(HasSubstr("Warning!!! Method"))) << ::testing::PrintToString(c.options);
    else
      EXPECT_THAT(r.out, HasSubstr(c.warnings)) << ::testing::PrintToString(c.options);
  }
}

TEST_F(CommandLine, ChainsOfUpToFourCharactersAreWholeLongerOnesWarnOnceAndAreCut) {
  const struct {
    const char *reference, *target, *banner, *record;
    bool warned;
  } cases[] = {
      {"ab", "s2", "Reference: 1ABC AB\nTarget: 2XYZ S2\n", "reference=1ABC:AB target=2XYZ:S2", false},
      {"a1b2", "7", "Reference: 1ABC A1B2\nTarget: 2XYZ 7\n", "reference=1ABC:A1B2 target=2XYZ:7", false},
      {"abcde", "cdefg", "Reference: 1ABC A\nTarget: 2XYZ C\n", "reference=1ABC:A target=2XYZ:C", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.banner);
    RunResult r = run({"1abc", c.reference, "2xyz", c.target, "-V"});
    EXPECT_EQ(r.out.find(kLongChain), c.warned ? 0u : std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(kLongChain, 1), std::string::npos);
    EXPECT_THAT(r.out, HasSubstr(c.banner));
    EXPECT_THAT(r.err, HasSubstr(c.record));
  }
}

TEST_F(CommandLine, FolderOptionsAreChecked) {
  RunResult missing = run({"1abc", "a", "2xyz", "b", "-I", "NoSuch"});
  EXPECT_THAT(missing.out, HasSubstr("Input folder NoSuch/ was not found."));
  EXPECT_EQ(missing.status, 1);
  EXPECT_THAT(run({"1abc", "a", "2xyz", "b", "-I"}).out, HasSubstr("Option -I needs a folder name."));
}

}  // namespace
}  // namespace bexora::test
