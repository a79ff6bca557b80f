// Damaged, oversized and unreadable inputs and unwritable outputs given to the
// built program: it must neither crash nor hang, must end with status 1 and a
// message naming the file when it cannot go on, and must leave its inputs alone.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"
#include "util/staged_output.h"

namespace bexora::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using Files = std::map<std::string, std::string>;  // relative path -> content, "<folder>" for a folder

const std::string kIn = "./io_data/Input/";
const std::vector<std::string> kRun = {"1EXR", "A", "2EXT", "A", "-M", "ALL"};

Files filesUnder(const std::string& root) {
  Files files;
  if (!fs::exists(root)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    files[fs::relative(entry.path(), root).string()] =
        entry.is_directory() ? "<folder>" : readFile(entry.path().string());
  return files;
}

// The bundled example, made once, and the outputs of an undamaged run of it.
const TempDir& example() {
  static TempDir dir;
  static const bool made = makeExample("example", dir.file("io_data/Input"));
  EXPECT_TRUE(made);
  return dir;
}

const Files& cleanOutputs() {
  static const Files outputs = [] {
    TempDir dir;
    fs::copy(example().file("io_data"), dir.file("io_data"), fs::copy_options::recursive);
    EXPECT_EQ(runBexora(kRun, dir.path()).status, 0);
    return filesUnder(dir.file("io_data/Output"));
  }();
  return outputs;
}

std::string original(const std::string& name) { return readFile(example().file("io_data/Input/" + name)); }

class HostileInput : public ::testing::Test {
 protected:
  void SetUp() override { fs::copy(example().file("io_data"), dir.file("io_data"), fs::copy_options::recursive); }
  std::string input(const std::string& name) const { return dir.file("io_data/Input/" + name); }

  // Runs the program and checks the outcome and its message, no hang (an
  // input at a capacity may take longer), nothing on standard error (where a
  // sanitizer reports) and inputs left alone.
  RunResult run(const std::vector<std::string>& args, bool fails, const std::string& message,
                double hangSeconds = 10.0) {
    Files before = filesUnder(input(""));
    auto start = std::chrono::steady_clock::now();
    RunResult r = runBexora(args, dir.path(), wrapper);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), hangSeconds);
    EXPECT_EQ(r.status, fails ? 1 : 0) << r.out.substr(0, 2000);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(filesUnder(input("")) == before) << "an input was changed";
    EXPECT_THAT(r.out, HasSubstr(message));
    EXPECT_NE(r.out.find("\nSuccessfully enhanced the basepair annotation for PDB 2EXT") != std::string::npos, fails);
    return r;
  }

  // Root reads and writes regardless of permissions, so permission cases
  // run the program as nobody then, in a folder tree open to it.
  void runUnprivileged() {
    if (geteuid() != 0) return;
    if (std::system("setpriv --reuid=nobody --regid=nogroup --clear-groups true 2>/dev/null") != 0)
      GTEST_SKIP() << "no unprivileged user to run permission cases as";
    fs::permissions(dir.path(), fs::perms::all);
    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
      if (entry.is_directory()) fs::permissions(entry.path(), fs::perms::all);
    wrapper = "setpriv --reuid=nobody --regid=nogroup --clear-groups";
  }

  TempDir dir;
  std::string wrapper;
};

// ---- one input file damaged ----

// Lone CR line ends are the line reader's tests; CR LF stands for both here.
enum class Damage { kEmpty, kGarbage, kLongLine, kTruncated, kCrLf, kFolder, kNoPermission };
const char* const kDamageNames[] = {"Empty", "Garbage", "LongLine", "Truncated", "CrLf", "Folder", "NoPermission"};

// Whether the run can go on without a file's content; a needed file's
// first half still holds what the run needs.
enum class Need { kOptional, kFirstHalf };

struct InputFile {
  const char* name;
  Need need;
  const char* unusable;    // said of content of no use: empty, garbage, one long line
  bool unreadableFails;
  const char* unreadable;  // said when the file cannot be read at all
};

const InputFile kInputFiles[] = {
    {"1EXR.pdb", Need::kFirstHalf, "No atom of chain A was found in ./io_data/Input/1EXR.pdb.\n", true,
     "Warning!!! ./io_data/Input/1EXR.pdb is not a readable file; it is ignored.\n"
     "Neither .pdb or .cif file for PDB 1EXR was found in the ./io_data/Input/ folder\n"},
    {"2EXT.pdb", Need::kFirstHalf, "No atom of chain A was found in ./io_data/Input/2EXT.pdb.\n", true,
     "Neither .pdb or .cif file for PDB 2EXT was found in the ./io_data/Input/ folder\n"},
    {"1EXR.mca.out", Need::kOptional, "", true, "./io_data/Input/1EXR.mca.out File Not Found\n"},
    {"2EXT.rv.out", Need::kOptional, "", true, "./io_data/Input/2EXT.rv.out File Not Found\n"},
    {"1EXR.fr3d.out", Need::kOptional, "", true, "./io_data/Input/1EXR.fr3d.out File Not Found\n"},
    {"2EXT.dssr.out", Need::kOptional, "", true, "./io_data/Input/2EXT.dssr.out File Not Found\n"},
    {"1EXR.cr.out", Need::kOptional, "", true, "./io_data/Input/1EXR.cr.out File Not Found\n"},
    // The structure files' SEQRES records stand in for it.
    {"pdb_seqres.na.fa", Need::kOptional,
     "Sequence of 1EXR chain A read from ./io_data/Input/1EXR.pdb (SEQRES), as ./io_data/Input/pdb_seqres.na.fa does "
     "not list the chain.\n",
     false,
     "Warning!!! ./io_data/Input/pdb_seqres.na.fa is not a readable file; it is ignored.\nSequence of 1EXR chain A "
     "read from ./io_data/Input/1EXR.pdb (SEQRES), as ./io_data/Input/pdb_seqres.na.fa is not there.\n"},
    {"1EXR_A_2EXT_A.aln", Need::kOptional,
     "Warning!!! ./io_data/Input/1EXR_A_2EXT_A.aln lists no residue pair; no residue is aligned through it.\n", false,
     "Warning!!! Structure alignment file \"1EXR_A_2EXT_A.aln\" was not found, "},
};

// Test names and failure reports show the file and the damage.
void PrintTo(const InputFile& file, std::ostream* os) { *os << file.name; }
void PrintTo(Damage damage, std::ostream* os) { *os << kDamageNames[static_cast<int>(damage)]; }

// Empty; fixed bytes of every value (NUL and bytes above 0x7f among them);
// the first line repeated to 10 MB with no line end; the first half; CR LF.
std::string damaged(Damage damage, const std::string& text) {
  std::string out, first = text.substr(0, text.find('\n')) + ' ';
  switch (damage) {
    case Damage::kGarbage:
      for (unsigned i = 0; i < 4096; ++i) out.push_back(static_cast<char>((i * 167u + (i >> 5) * 13u) & 0xffu));
      break;
    case Damage::kLongLine:
      while (out.size() < 10'000'000) out += first;
      break;
    case Damage::kTruncated: return text.substr(0, text.size() / 2);
    case Damage::kCrLf:
      for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
      break;
    default: break;
  }
  return out;
}

class HostileDamage : public HostileInput, public ::testing::WithParamInterface<std::tuple<InputFile, Damage>> {};

TEST_P(HostileDamage, EndsCleanlyAndNamesTheFile) {
  const auto& [file, damage] = GetParam();
  const std::string path = input(file.name);
  if (damage == Damage::kFolder || damage == Damage::kNoPermission) {
    if (damage == Damage::kFolder) fs::remove(path), makeDirs(path + "/inside");
    if (damage == Damage::kNoPermission) fs::permissions(path, fs::perms::none), runUnprivileged();
    run(kRun, file.unreadableFails, file.unreadable);
    return;
  }
  writeFile(path, damaged(damage, original(file.name)));
  bool truncated = damage == Damage::kTruncated, crLf = damage == Damage::kCrLf;
  const bool fails = file.need != Need::kOptional && !crLf && !truncated;
  RunResult r = run(kRun, fails, crLf || truncated ? "" : file.unusable);
  if (damage == Damage::kLongLine && std::string(file.name).find(".out") != std::string::npos) {
    EXPECT_THAT(r.out, HasSubstr("Warning!!! Line 1 of " + kIn + file.name +
                                 " is longer than 1048576 bytes; it is skipped.\n"));
  }
  if (crLf) {
    EXPECT_TRUE(filesUnder(dir.file("io_data/Output")) == cleanOutputs());
  }
}

std::string damageCaseName(const ::testing::TestParamInfo<HostileDamage::ParamType>& info) {
  std::string name = std::get<0>(info.param).name;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name + "_" + kDamageNames[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(Hostile, HostileDamage,
                         ::testing::Combine(::testing::ValuesIn(kInputFiles),
                                            ::testing::Values(Damage::kEmpty, Damage::kGarbage, Damage::kLongLine,
                                                              Damage::kTruncated, Damage::kCrLf, Damage::kFolder,
                                                              Damage::kNoPermission)),
                         damageCaseName);

// ---- compressed inputs whose stream is damaged (bytes flipped, or cut off) ----

struct GzipCase {
  const char* name;
  const char* storedAs;
  const char* message;
};

const GzipCase kGzipCases[] = {
    {"1EXR.pdb", "1EXR.pdb.gz", "./io_data/Input/1EXR.pdb.gz could not be read to its end\n"},
    {"2EXT.mca.out", "2EXT.mca.out", "./io_data/Input/2EXT.mca.out could not be read to its end\n"},
    {"pdb_seqres.na.fa", "pdb_seqres.na.fa",
     "File \"./io_data/Input/pdb_seqres.na.fa\" could not be read to its end.\n"},
};

void PrintTo(const GzipCase& c, std::ostream* os) { *os << c.storedAs; }

class HostileGzip : public HostileInput, public ::testing::WithParamInterface<std::tuple<GzipCase, bool>> {};

TEST_P(HostileGzip, ABrokenStreamIsAFailureNamingTheFile) {
  const auto& [c, cutOff] = GetParam();
  const std::string text = original(c.name), packed = dir.file("packed.gz");
  gzFile file = gzopen(packed.c_str(), "wb");
  gzwrite(file, text.data(), static_cast<unsigned>(text.size()));
  gzclose(file);
  std::string bytes = readFile(packed);
  if (cutOff) bytes.resize(bytes.size() / 2);
  for (std::size_t i = bytes.size() / 3; !cutOff && i < bytes.size() / 3 + 8; ++i) bytes[i] ^= 0x5a;
  fs::remove(input(c.name));
  writeFile(input(c.storedAs), bytes);
  run(kRun, true, c.message);
}

std::string gzipCaseName(const ::testing::TestParamInfo<HostileGzip::ParamType>& info) {
  std::string name = std::get<0>(info.param).storedAs;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name + (std::get<1>(info.param) ? "_CutOff" : "_Flipped");
}

INSTANTIATE_TEST_SUITE_P(Hostile, HostileGzip,
                         ::testing::Combine(::testing::ValuesIn(kGzipCases), ::testing::Values(false, true)),
                         gzipCaseName);

// ---- inputs past the fixed capacities ----

template <typename... Numbers>
std::string printed(const char* format, Numbers... numbers) {
  char text[160];
  std::snprintf(text, sizeof text, format, numbers...);
  return text;
}

// A run on an input at a capacity, under the sanitizers on a busy machine.
constexpr double kCapacitySeconds = 60;

TEST_F(HostileInput, AtomsPastTheTableAreWarnedAbout) {
  std::istringstream lines(original("1EXR.pdb"));
  std::vector<std::string> atoms;
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("ATOM", 0) == 0) atoms.push_back(line);
  std::string text;
  for (std::size_t n = 0; n < 520'000; ++n) {  // the chain's atoms again and again, renumbered
    const std::string& atom = atoms[n % atoms.size()];
    int residue = std::stoi(atom.substr(22, 4)) + 36 * static_cast<int>(n / atoms.size());
    text += atom.substr(0, 22) + printed("%4d%c", residue % 10000, 'A' + residue / 10000) + atom.substr(27) + "\n";
  }
  writeFile(input("1EXR.pdb"), text);
  run(kRun, false, "Warning!!! Atom table limit of 500000 reached in ./io_data/Input/1EXR.pdb; the rest is ignored.\n",
      kCapacitySeconds);
}

struct PairListCase {
  const char* file;
  const char* method;
  const char* header;
  std::string (*row)(int first, int second);
};

const PairListCase kPairLists[] = {
    {"1EXR.mca.out", "MC", "Base-pairs ------------------------------------------------------\n",
     [](int a, int b) { return printed("A%d-A%d : G-C Ww/Ww pairing antiparallel cis XIX\n", a, b); }},
    {"1EXR.fr3d.out", "FR", "nt1_unit_id,nt2_unit_id,pair_family,stacking_class,base_phosphate_class\n",
     [](int a, int b) { return printed("1EXR|1|A|G|%d,1EXR|1|A|C|%d,cWW,,\n", a, b); }},
    {"2EXT.dssr.out", "DS", "     nt1            nt2           bp  name        Saenger    LW  DSSR\n",
     [](int a, int b) { return printed("%d A.G%d A.C%d G-C WC 19-XIX cWW cW-W\n", a, a, b); }},
    {"2EXT.cr.out", "CLA", "\"residue1\",\"residue2\",\"n_type\",\"weight\",\"description\",\"full description\"\n",
     [](int a, int b) { return printed("\"A%d\",\"A%d\",\"GC\",0.5,\"WW_cis\",\"WW_cis_GC\"\n", a, b); }},
};

TEST_F(HostileInput, PairsPastTheListAreWarnedAbout) {
  for (const PairListCase& c : kPairLists) {
    SCOPED_TRACE(c.file);
    std::string text = c.header;
    for (int i = 1; i <= 100'001; ++i) text += c.row(i, i + 200'000);
    writeFile(input(c.file), text);
    run({"1EXR", "A", "2EXT", "A", "-M", c.method}, false,
        "Warning!!! Base-pair list limit of 100000 reached in " + kIn + c.file + "; the rest is ignored.\n",
        kCapacitySeconds);
    writeFile(input(c.file), original(c.file));
  }
}

// The reference sequence made 8000 residues long, then one with a run of a
// million tabs, which stands at one position and is reported once.
TEST_F(HostileInput, LongSequencesAreCutAndBlankRunsReportedOnce) {
  const std::string fasta = original("pdb_seqres.na.fa");
  const std::size_t end = fasta.find('\n', fasta.find('\n') + 1), inside = fasta.find('\n') + 8;
  std::string longer = fasta.substr(0, end);
  while (longer.size() < end + 8000) longer += "ACGU";
  writeFile(input("pdb_seqres.na.fa"), longer + fasta.substr(end));
  run(kRun, false,
      "Warning!!! Chain 1EXR A residue limit of 7000 reached in " + kIn + "pdb_seqres.na.fa; the rest is ignored.\n");
  writeFile(input("pdb_seqres.na.fa"), fasta.substr(0, inside) + std::string(1'000'000, '\t') + fasta.substr(inside));
  RunResult r = run(kRun, false,
                    "No valid nucleotide in seq-1 at position-7\n(line 2 of " + kIn +
                        "pdb_seqres.na.fa)\n--Warning!!! There are data");
  EXPECT_LT(r.out.size(), 20'000u);
}

// ---- folder names and outputs ----

struct OutputCase {
  const char* blocker;  // made a regular file
  const char* folder;   // the -O value
  const char* message;
};

const OutputCase kOutputCases[] = {
    {"afile", "./afile/out/", "./afile/out/2EXT_A.mca.bexora file could not be created\n"},
    {"io_data/Output/BP_Src", "./io_data/Output/",
     "./io_data/Output/BP_Src/2EXT_A.mca.bexora.bpsrc file could not be created\n"},
};

TEST_F(HostileInput, AnOutputThatCannotBeWrittenIsAFailure) {
  for (const OutputCase& c : kOutputCases) {
    SCOPED_TRACE(c.blocker);
    writeFile(dir.file(c.blocker), "in the way\n");
    run({"1EXR", "A", "2EXT", "A", "-M", "MC", "-O", c.folder}, true, c.message);
    for (const auto& entry : filesUnder(dir.file("io_data/Output"))) {
      if (entry.first == kOutputLockName) continue;
      EXPECT_THAT(entry.first, Not(HasSubstr(".bexora."))) << "a staged or half-written output was left";
    }
    fs::remove_all(dir.file("io_data/Output"));
    fs::remove_all(dir.file("afile"));
  }
}

}  // namespace
}  // namespace bexora::test
