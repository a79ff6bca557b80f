// Hand-built records shared by the test suites, and captured standard output.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/model.h"
#include "annotation/pair_formats.h"

namespace bexora::test {

// A pair on residues r0 and r1 of one chain; bases like "GC", edges like
// "W/H" ("" leaves the pair without edges).
inline BPInfo makePair(int r0, int r1, const char* bases, const std::string& edges, char orientation = 'c',
                       int source = kSourceTool, const char* chain = "A") {
  BPInfo pair = makeEmptyBPInfo();
  for (int end = 0; end < 2; ++end) {
    setField(pair.chainId[end], chain);
    pair.resSeqNo[end] = end ? r1 : r0;
    pair.nucleotide[end] = bases[end];
  }
  if (!edges.empty()) {
    setField(pair.edge[0][0], edges.substr(0, edges.find('/')));
    setField(pair.edge[0][1], edges.substr(edges.find('/') + 1));
    pair.edgeCount = 1;
  }
  pair.orientation = orientation;
  pair.source = source;
  return pair;
}

inline AtomInfo makeAtom(const char* chain, int32_t resSeqNo, const char* name, double x = 0, double y = 0,
                         double z = 0, char iCode = ' ', char residueName = '\0') {
  AtomInfo atom{};
  setField(atom.chainId, chain);
  setField(atom.atomName, name);
  atom.residueName = residueName;
  atom.resSeqNo = resSeqNo;
  atom.iCode = iCode;
  atom.x = x;
  atom.y = y;
  atom.z = z;
  return atom;
}

// The pairs as the program prints them.
inline std::vector<std::string> formatted(const std::vector<BPInfo>& pairs,
                                          std::string (*format)(const BPInfo&) = formatPairBexora) {
  std::vector<std::string> lines;
  for (const BPInfo& pair : pairs) lines.push_back(format(pair));
  return lines;
}

// What `run` prints on standard output.
template <class Run>
std::string stdoutOf(Run run) {
  testing::internal::CaptureStdout();
  run();
  return testing::internal::GetCapturedStdout();
}

}  // namespace bexora::test
