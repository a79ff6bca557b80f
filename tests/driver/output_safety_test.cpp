// Outputs under hostile conditions, in every mode: a full disk, links planted
// in the output folder, two runs at once, a signal mid-run, a memory limit, a
// lost standard output. Whatever happens, each output file is either a
// complete file of some run or absent, and nothing staged is left behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"
#include "text_fields.h"
#include "util/staged_output.h"

namespace bexora::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using Files = std::map<std::string, std::string>;  // path below the output folder -> content

const std::vector<std::string> kSingle = {"1EXR", "A", "2EXT", "A", "-M", "ALL"};
const std::vector<std::string> kBenchmark = {"-B", "BENCHMARK"};
const std::vector<std::string> kMotif = {"-B", "BENCHMARK-MOTIF"};

Files regularFilesUnder(const std::string& root) {
  Files files;
  if (!fs::exists(root)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (!entry.is_directory() && entry.path().filename() != kOutputLockName)
      files[fs::relative(entry.path(), root).string()] = readFile(entry.path().string());
  return files;
}

// An input folder per form, made once, and the outputs of an undisturbed run.
struct Form {
  const char* generator;
  std::vector<std::string> args;
};

const Form kExample{"example", kSingle};
const Form kBenchmarkForm{"benchmark", kBenchmark};
const Form kMotifForm{"benchmark", kMotif};

const TempDir& inputsOf(const std::string& generator) {
  static std::map<std::string, TempDir> made;
  auto [at, fresh] = made.try_emplace(generator);
  if (fresh) {
    EXPECT_TRUE(makeExample(generator, at->second.file("io_data/Input"), generator == "example" ? "" : "--size small"));
    fs::permissions(at->second.path(), fs::perms::all);
  }
  return at->second;
}

const Files& cleanOutputs(const Form& form) {
  static std::map<std::vector<std::string>, Files> outputs;
  auto [at, fresh] = outputs.try_emplace(form.args);
  if (fresh) {
    TempDir dir;
    fs::copy(inputsOf(form.generator).file("io_data"), dir.file("io_data"), fs::copy_options::recursive);
    EXPECT_EQ(runBexora(form.args, dir.path()).status, 0);
    at->second = regularFilesUnder(dir.file("io_data/Output"));
  }
  return at->second;
}

class OutputSafety : public ::testing::Test {
 protected:
  void use(const Form& form) {
    form_ = &form;
    fs::copy(inputsOf(form.generator).file("io_data"), dir.file("io_data"), fs::copy_options::recursive);
    makeDirs(output(""));
  }
  std::string output(const std::string& name) const { return dir.file("io_data/Output/" + name); }

  // Every file left is one the undisturbed run writes, whole, or one from
  // `previous` as it was; no staged file is left.
  void expectOnlyCompleteFiles(const Files& previous = {}) {
    for (const auto& [name, content] : regularFilesUnder(output(""))) {
      auto clean = cleanOutputs(*form_).find(name);
      auto before = previous.find(name);
      bool complete = (clean != cleanOutputs(*form_).end() && clean->second == content) ||
                      (before != previous.end() && before->second == content);
      EXPECT_TRUE(complete) << name << " is partial, stale or staged";
    }
  }

  TempDir dir;
  const Form* form_ = nullptr;
};

// ---- a full disk ----

// A tmpfs of the given size over the output folder, in a mount namespace of
// the run's own; without mount rights a per-file size limit stands in.
bool canMount() { return geteuid() == 0 && std::system("unshare -m true 2>/dev/null") == 0; }

std::string fullDiskWrapper(long kilobytes, long perFileKilobytes) {
  if (!canMount()) return "ulimit -f " + std::to_string(perFileKilobytes * 2) + ";";
  return "unshare -m sh -c 'cp -a io_data/Output io_data/Before && mount -t tmpfs -o size=" +
         std::to_string(kilobytes) + "k tmpfs io_data/Output && cp -a io_data/Before/. io_data/Output/ && "
         "\"$0\" \"$@\"; s=$?; cp -a io_data/Output io_data/After && exit $s'";
}

struct FullDiskCase {
  const char* name;
  const Form* form;
  long extraKilobytes;  // room beyond what the previous set takes
  bool previousSet;     // a complete set from an earlier run is in the folder
};

class FullDisk : public OutputSafety, public ::testing::WithParamInterface<FullDiskCase> {};

TEST_P(FullDisk, LeavesCompleteFilesOnlyAndFails) {
  const FullDiskCase& c = GetParam();
  use(*c.form);
  Files previous;
  long kilobytes = c.extraKilobytes;
  if (c.previousSet) {
    ASSERT_EQ(runBexora(c.form->args, dir.path()).status, 0);
    for (auto& [name, content] : regularFilesUnder(output(""))) {
      content += "from an earlier run\n";
      writeFile(output(name), content);
      previous[name] = content;
      kilobytes += 4 + static_cast<long>(content.size() / 4096) * 4;
    }
  }
  RunResult r = runBexora(c.form->args, dir.path(), fullDiskWrapper(kilobytes, c.extraKilobytes));
  if (canMount()) {  // what the tmpfs held at the end
    fs::remove_all(output(""));
    fs::rename(dir.file("io_data/After"), output(""));
  }
  EXPECT_EQ(r.status, 1) << r.out.substr(r.out.size() > 2000 ? r.out.size() - 2000 : 0);
  EXPECT_THAT(r.out, HasSubstr("could not be"));
  expectOnlyCompleteFiles(previous);
  if (c.previousSet) {
    EXPECT_TRUE(regularFilesUnder(output("")) == previous) << "the earlier set was changed";
  }
}

const FullDiskCase kFullDiskCases[] = {
    {"Single", &kExample, 8, false},
    {"MotifOverEarlierSet", &kMotifForm, 16, true},
};

void PrintTo(const FullDiskCase& c, std::ostream* os) { *os << c.name; }

INSTANTIATE_TEST_SUITE_P(Modes, FullDisk, ::testing::ValuesIn(kFullDiskCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- links planted in the output folder ----

TEST_F(OutputSafety, PlantedLinksAreReplacedNeverFollowed) {
  use(kMotifForm);
  const std::string outside = dir.file("outside/");
  makeDirs(outside);
  const std::vector<std::string> names = {"log.txt", "log2.txt", "tablesInLatex.txt", "tablesInLatex.txt.tmp",
                                          "2B9N_A.mca.bexora"};
  for (const std::string& name : names) {
    writeFile(outside + name, "precious\n");
    fs::create_symlink(outside + name, output(name));
  }
  RunResult r = runBexora(kMotif, dir.path());
  EXPECT_EQ(r.status, 0) << r.out;
  for (const std::string& name : names) EXPECT_EQ(readFile(outside + name), "precious\n") << name;
  for (const char* name : {"log.txt", "tablesInLatex.txt", "2B9N_A.mca.bexora"})
    EXPECT_FALSE(fs::is_symlink(output(name))) << name;
  fs::remove(output("tablesInLatex.txt.tmp"));
  expectOnlyCompleteFiles();
}

TEST_F(OutputSafety, APlantedFolderLinkFailsTheRunAndStaysEmpty) {
  for (const char* folder : {"BP_Src", "Motif_Segments"}) {
    SCOPED_TRACE(folder);
    fs::remove_all(dir.file("io_data"));
    use(kMotifForm);
    const std::string outside = dir.file(std::string("outside-") + folder);
    makeDirs(outside);
    fs::create_symlink(outside, output(folder));
    RunResult r = runBexora(kMotif, dir.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(fs::is_empty(outside)) << r.out.substr(0, 500);
  }
}

// ---- two runs at once ----

bool stagedFileIn(const std::string& folder, const std::string& prefix) {
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().filename().string().rfind(prefix, 0) == 0) return true;
  return false;
}

// A run waits for the folder's lock before it commits, and says so after a
// second: while another holds it, nothing appears under a final name.
TEST_F(OutputSafety, ARunCommitsOnlyUnderTheFolderLock) {
  use(kExample);
  int lock = open(output(kOutputLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);  // not inherited by the run
  ASSERT_EQ(flock(lock, LOCK_EX), 0);
  RunResult r;
  std::thread run([&] { r = runBexora({"1EXR", "A", "2EXT", "A", "-M", "MC"}, dir.path()); });
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!stagedFileIn(output(""), "2EXT_A.mca.bexora.") && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the run is at its commit, waiting
  for (const char* name : {"2EXT_A.mca.bexora", "BP_Src/2EXT_A.mca.bexora.bpsrc", "BP_Src/2EXT_A.mca.bexora.evidence.tsv"})
    EXPECT_FALSE(exists(output(name))) << name;
  close(lock);
  run.join();
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_THAT(r.out, HasSubstr("Waiting for ./io_data/Output/.bexora.lock: another run holds it.\n"));
  EXPECT_EQ(regularFilesUnder(output("")).size(), 3u);  // annotation, source tags, evidence
}

// A folder shared by a group: the lock file another user created, in any
// mode, is locked all the same, and a new one is created as the umask says.
TEST_F(OutputSafety, ALockFileOfAnotherUserServesEveryRun) {
  use(kExample);
  if (geteuid() != 0 || std::system("setpriv --reuid=nobody --regid=nogroup --clear-groups true 2>/dev/null") != 0)
    GTEST_SKIP() << "no second user to share the folder with";
  for (const auto& entry : fs::recursive_directory_iterator(dir.path())) fs::permissions(entry.path(), fs::perms::all);
  fs::permissions(dir.path(), fs::perms::all);
  for (fs::perms mode : {fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read, fs::perms::none}) {
    writeFile(output(kOutputLockName), "");
    fs::permissions(output(kOutputLockName), mode);
    RunResult r = runBexora({"1EXR", "A", "2EXT", "A", "-M", "MC"}, dir.path(),
                            "setpriv --reuid=nobody --regid=nogroup --clear-groups");
    EXPECT_EQ(r.status, static_cast<int>(mode == fs::perms::none)) << r.out;
  }
  fs::remove(output(kOutputLockName));
  RunResult r = runBexora({"1EXR", "A", "2EXT", "A", "-M", "MC"}, dir.path(), "umask 002;");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(fs::status(output(kOutputLockName)).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::group_write |
                fs::perms::others_read);
}

// A method's result, source tags, evidence and --2d files are one group: a
// file that cannot be put in place keeps all of them out.
TEST_F(OutputSafety, AMethodsFilesAppearTogetherOrNotAtAll) {
  use(kExample);
  makeDirs(output("2EXT_A.rv.bexora.svg/x"));
  RunResult r = runBexora({"1EXR", "A", "2EXT", "A", "-M", "MC,RV", "--2d"}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.out, HasSubstr("2EXT_A.rv.bexora.svg file could not be created\n"));
  Files left = regularFilesUnder(output(""));
  std::vector<std::string> names;
  for (const auto& entry : left) names.push_back(entry.first);
  EXPECT_EQ(names, (std::vector<std::string>{"2EXT_A.mca.bexora", "2EXT_A.mca.bexora.bpseq", "2EXT_A.mca.bexora.dbn",
                                             "2EXT_A.mca.bexora.svg", "BP_Src/2EXT_A.mca.bexora.bpsrc",
                                             "BP_Src/2EXT_A.mca.bexora.evidence.tsv"}));
}

// ---- a signal mid-run ----

pid_t spawn(const std::vector<std::string>& args, const std::string& workdir) {
  pid_t pid = fork();
  if (pid != 0) return pid;
  if (chdir(workdir.c_str()) != 0 || !std::freopen("/dev/null", "w", stdout)) _exit(127);
  std::vector<char*> argv = {const_cast<char*>(BEXORA_EXE)};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  execv(BEXORA_EXE, argv.data());
  _exit(127);
}

// A manifest of every ordered pair of the benchmark structures with all tools.
std::string everyPairWithAllTools() {
  const char* ids[] = {"1YL4 A", "2B9M A", "2B9N A", "2VQE A", "2ZJR X", "3R8S A", "3V2F A", "4GD1 A"};
  std::string manifest;
  for (const char* reference : ids)
    for (const char* target : ids) manifest += std::string(reference) + " " + target + " ALL\n";
  return manifest;
}

bool isFinalName(const std::string& name) {
  for (const char* end : {".bexora", ".bpsrc", ".tsv", ".dbn", ".bpseq", ".svg", ".aln", "run.log"})
    if (name.size() >= std::strlen(end) && name.compare(name.size() - std::strlen(end), std::string::npos, end) == 0)
      return true;
  return false;
}

// Signals at random moments of a batch whose threads stage files at once:
// no staged file is left, and the summary lists pairs whose files are in
// place, each row whole.
TEST_F(OutputSafety, SignalsAtRandomMomentsOfABatchLeaveNoStagedFile) {
  use(kBenchmarkForm);
  writeFile(dir.file("io_data/Input/pairs.txt"), everyPairWithAllTools());
  std::mt19937 random(27);
  const int signals[] = {SIGTERM, SIGINT, SIGHUP, SIGPIPE, SIGQUIT};
  for (int round = 0; round < 10; ++round) {
    fs::remove_all(output(""));
    const int sig = signals[round % std::size(signals)];
    SCOPED_TRACE("round " + std::to_string(round) + ", signal " + std::to_string(sig));
    pid_t pid = spawn({"-L", "pairs.txt", "-j", "4", "--2d"}, dir.path());
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + random() % 400));
    kill(pid, sig);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(!WIFSIGNALED(status) || WTERMSIG(status) == sig);
    for (const auto& [name, content] : regularFilesUnder(output(""))) EXPECT_TRUE(isFinalName(name)) << name;
    if (!exists(output("batch_summary.tsv"))) continue;
    std::vector<std::string> rows = textLines(readFile(output("batch_summary.tsv")));
    for (std::size_t i = 1; i < rows.size(); ++i) {
      std::vector<std::string> row = fieldsOf(rows[i]);
      ASSERT_EQ(row.size(), 26u) << rows[i];
      EXPECT_TRUE(exists(output(row[0] + "_" + row[1] + "_" + row[2] + "_" + row[3] + "/run.log"))) << rows[i];
    }
  }
}

// ---- memory ----

TEST_F(OutputSafety, MemoryStaysBoundedAndExhaustionIsReported) {
  if (sanitized()) GTEST_SKIP() << "the sanitizers need more address space than the limit allows";
  use(kExample);
  gzFile packed = gzopen(dir.file("io_data/Input/2EXT.pdb.gz").c_str(), "wb");
  const std::string zeros(1 << 20, '\0');
  for (int mb = 0; mb < 300; ++mb) gzwrite(packed, zeros.data(), static_cast<unsigned>(zeros.size()));
  gzclose(packed);
  fs::rename(dir.file("io_data/Input/2EXT.pdb"), dir.file("2EXT.pdb"));
  RunResult bounded = runBexora(kSingle, dir.path(), "ulimit -v 200000;");
  EXPECT_EQ(bounded.status, 1) << bounded.out;
  EXPECT_THAT(bounded.out, HasSubstr("No atom of chain A was found in ./io_data/Input/2EXT.pdb.gz.\n"));
  EXPECT_EQ(bounded.err, "");
  fs::rename(dir.file("2EXT.pdb"), dir.file("io_data/Input/2EXT.pdb"));
  fs::remove(dir.file("io_data/Input/2EXT.pdb.gz"));
  fs::remove_all(output(""));

  // Memory grows with the data: a list of 90,000 pairs needs more than the limit.
  std::string pairs = "Base-pairs ------------------------------------------------------\n";
  for (int i = 1; i <= 90'000; ++i)
    pairs +=
        "A" + std::to_string(i) + "-A" + std::to_string(i + 100'000) + " : G-C Ww/Ww pairing antiparallel cis XIX\n";
  writeFile(dir.file("io_data/Input/1EXR.mca.out"), pairs);
  RunResult starved = runBexora(kSingle, dir.path(), "ulimit -v 12000;");
  EXPECT_EQ(starved.status, 1);
  EXPECT_THAT(starved.out, HasSubstr("Sufficient memory is not available to process the data\n"));
  EXPECT_EQ(starved.err, "");
  expectOnlyCompleteFiles();
}

// ---- standard output ----

TEST_F(OutputSafety, LostStandardOutputIsAFailure) {
  use(kExample);
  writeFile(dir.file("io_data/Input/list.txt"), "2EXT A 1EXR A\n");
  for (const std::vector<std::string>& args : {std::vector<std::string>{"-R", "list.txt"}, kSingle}) {
    std::string command = "cd '" + dir.path() + "' && '" + BEXORA_EXE + "'";
    for (const std::string& arg : args) command += " '" + arg + "'";
    int raw = std::system((command + " >/dev/full 2>/dev/null").c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 1) << args[0];
    raw = std::system((command + " >/dev/null 2>/dev/null").c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << args[0];
  }
}

}  // namespace
}  // namespace bexora::test
