#include "alignment/structure_correspondence.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "alignment/superposition.h"
#include "test_support.h"

namespace bexora {
namespace {

// The ATOM and HETATM lines of one chain of a PDB file, in the order of the structure reader's tables.
std::vector<AtomInfo> readChainAtoms(const std::string& path, char chain) {
  std::vector<AtomInfo> atoms;
  std::istringstream text(test::readFile(path));
  for (std::string line; std::getline(text, line);) {
    if ((line.rfind("ATOM", 0) != 0 && line.rfind("HETATM", 0) != 0) || line.size() < 54 || line[21] != chain) continue;
    AtomInfo atom{};
    std::istringstream(line.substr(12, 4)) >> atom.atomName;
    atom.residueName = line[19];
    atom.chainId[0] = chain;
    atom.resSeqNo = std::atoi(line.substr(22, 4).c_str());
    atom.iCode = line[26];
    atom.x = std::atof(line.substr(30, 8).c_str());
    atom.y = std::atof(line.substr(38, 8).c_str());
    atom.z = std::atof(line.substr(46, 8).c_str());
    atoms.push_back(atom);
  }
  return atoms;
}

// Ligands and waters out: only residues with a C1' atom.
std::vector<AtomInfo> nucleotidesOnly(const std::vector<AtomInfo>& atoms) {
  std::vector<AtomInfo> kept;
  for (const AtomInfo& atom : atoms)
    if (std::string_view(atom.atomName) == "C1'")
      for (const AtomInfo& same : atoms)
        if (same.resSeqNo == atom.resSeqNo && same.iCode == atom.iCode) kept.push_back(same);
  return kept;
}

StructureResidueMap observedResidues(const std::vector<AtomInfo>& atoms, const char* pdbId) {
  StructureResidueMap map;
  setField(map.pdbId, pdbId);
  map.chainCount = 1;
  setField(map.chain.chainId, atoms.front().chainId);
  for (const AtomInfo& atom : atoms) {
    const auto& entries = map.chain.entries;
    if (!entries.empty() && entries.back().resSeqNo == atom.resSeqNo && entries.back().iCode == atom.iCode) continue;
    map.chain.entries.push_back({atom.residueName, 0, atom.resSeqNo, atom.iCode, -1});
  }
  return map;
}

// A seed that is wrong by `shift` residues on [from, to), as a sliding sequence alignment would be.
ResidueMapPair shiftedSeed(const ResidueMapPair& chains, int shift, int from = 0, int to = kMaxChainResidues) {
  ResidueMapPair map = chains;
  const int n = map[kReference].chain.length(), m = map[kTarget].chain.length();
  for (int i = 0; i < n; ++i) {
    const int j = i >= from && i < to ? i + shift : i;
    map[kReference].chain.entries[i].mapIndex = j >= 0 && j < m ? j : -1;
  }
  return map;
}

int mappedToItself(const ResidueMapPair& map, int from, int to) {
  int same = 0;
  for (int i = from; i < to; ++i) same += map[kReference].chain.entries[i].mapIndex == i ? 1 : 0;
  return same;
}

// Turns the atoms of residues from `firstResidue` on by `degrees` about the z axis through
// their centre, and moves them.
std::vector<AtomInfo> withDomainMoved(std::vector<AtomInfo> atoms, int firstResidue, double degrees) {
  Point centre;
  int count = 0;
  for (const AtomInfo& a : atoms)
    if (a.resSeqNo >= firstResidue) centre.x += a.x, centre.y += a.y, centre.z += a.z, ++count;
  centre = {centre.x / count, centre.y / count, centre.z / count};
  const double c = std::cos(degrees * M_PI / 180), s = std::sin(degrees * M_PI / 180);
  for (AtomInfo& a : atoms) {
    if (a.resSeqNo < firstResidue) continue;
    const double x = a.x - centre.x, y = a.y - centre.y;
    a.x = centre.x + c * x - s * y + 12;
    a.y = centre.y + s * x + c * y;
    a.z += 8;
  }
  return atoms;
}

TEST(Superposition, RecoversARigidMotion) {
  const std::vector<Point> fixed = {{0, 0, 0}, {3, 0, 0}, {0, 4, 0}, {1, 1, 5}, {-2, 3, 1}};
  const struct {
    double angle, ax, ay, az;
  } cases[] = {{0, 0, 0, 1}, {90, 0, 0, 1}, {179, 1, 2, 3}, {-45, 1, -1, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.angle);
    const double norm = std::sqrt(c.ax * c.ax + c.ay * c.ay + c.az * c.az);
    const double half = c.angle * M_PI / 360;
    RigidMotion turn;  // the quaternion's rotation, then a shift
    const double w = std::cos(half), x = std::sin(half) * c.ax / norm, y = std::sin(half) * c.ay / norm,
                 z = std::sin(half) * c.az / norm;
    turn.rotation = {{{1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)},
                      {2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)},
                      {2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)}}};
    turn.translation = {5, -7, 2};
    std::vector<Point> moving;
    for (const Point& p : fixed) moving.push_back(turn.apply(p));
    const RigidMotion back = superpose(moving, fixed);
    for (std::size_t k = 0; k < fixed.size(); ++k) EXPECT_LT(squaredDistance(back.apply(moving[k]), fixed[k]), 1e-12);
  }
}

class RealChain : public ::testing::Test {
 protected:
  void SetUp() override {
    BEXORA_REQUIRE_REALDATA();
    atoms = nucleotidesOnly(readChainAtoms(test::realDataPath("generated/4QLN/4QLN.pdb"), 'A'));
    ASSERT_FALSE(atoms.empty());
  }
  std::vector<AtomInfo> atoms;
};

TEST_F(RealChain, IdenticalChainsMapByIdentityWhateverTheSeed) {
  const StructureResidueMap chain = observedResidues(atoms, "4QLN");
  for (int shift : {0, 1, -3}) {
    SCOPED_TRACE(shift);
    ResidueMapPair map = shiftedSeed({chain, chain}, shift);
    CorrespondenceQuality quality;
    ASSERT_TRUE(alignByStructure(map, atoms, atoms, quality));
    EXPECT_EQ(mappedToItself(map, 0, chain.chain.length()), chain.chain.length());
    EXPECT_EQ(quality.aligned, chain.chain.length());
    EXPECT_LT(quality.rmsd, 1e-6);
    EXPECT_NEAR(quality.tmScore, 1.0, 1e-6);
  }
}

// Letters blanked, so that only the backbones can tell where each half went;
// the seed slides a strand of the moved half by one.
TEST_F(RealChain, BothHalvesOfAChainWithAMovedDomainAlign) {
  StructureResidueMap chain = observedResidues(atoms, "4QLN");
  for (ResidueMapEntry& entry : chain.chain.entries) entry.nucleotide = 'N';
  const int n = chain.chain.length(), half = n / 2;
  const std::vector<AtomInfo> moved = withDomainMoved(atoms, chain.chain.entries[half].resSeqNo, 100);
  ResidueMapPair map = shiftedSeed({chain, chain}, 1, half + 10, half + 20);
  CorrespondenceQuality quality;
  ASSERT_TRUE(alignByStructure(map, atoms, moved, quality));
  EXPECT_GE(mappedToItself(map, 0, half), half - 1);
  EXPECT_GE(mappedToItself(map, half, n), n - half - 1);
}

TEST(StructureCorrespondence, ChainsWithoutBackboneAtomsKeepTheirMap) {
  AtomInfo base{};
  setField(base.atomName, "N1");
  base.chainId[0] = 'A';
  std::vector<AtomInfo> atoms;
  for (int r = 1; r <= 5; ++r) atoms.push_back(base), atoms.back().resSeqNo = r, atoms.back().x = r;
  StructureResidueMap chain = observedResidues(atoms, "1ABC");
  ResidueMapPair map = shiftedSeed({chain, chain}, 1);
  const ResidueMapPair before = map;
  CorrespondenceQuality quality;
  EXPECT_FALSE(alignByStructure(map, atoms, atoms, quality));
  EXPECT_EQ(map[kReference].chain.entries[0].mapIndex, before[kReference].chain.entries[0].mapIndex);
}

}  // namespace
}  // namespace bexora
