// Many reference/target pairs in one run (-L manifest, -j threads). Each pair
// runs the single-run pipeline with a RunState and a Reporter of its own into
// its own folder under the output folder, so pairs never share a file or mix
// their messages; structures and the FASTA file are read once and shared.
// batch_summary.tsv lists every pair in manifest order, whatever the threads.
#pragma once

#include <string>
#include <vector>

#include "driver/command_line.h"

namespace bexora {

struct ManifestPair {
  long lineNumber = 0;
  std::string refId, refChain, targetId, targetChain;  // upper-cased, as a single run takes them
  std::vector<int> methods;
  std::string problem;  // why the line names no pair it can run; empty when it does
};

struct Manifest {
  bool found = false;
  bool complete = false;  // false: reading broke off before the end
  std::vector<ManifestPair> pairs;  // one per line that is neither blank nor a comment, in file order
};

// Reads the manifest at `path`; a pair without METHODS takes `defaultMethods`.
Manifest readManifest(const std::string& path, const std::vector<int>& defaultMethods);

// "REF_RC_TARGET_TC", the pair's folder under the output folder.
std::string pairFolderName(const ManifestPair& pair);

// Runs the -L mode; returns the exit status, 1 when any pair failed.
int runBatch(const RunSettings& settings);

}  // namespace bexora
