// Chain sequences from a FASTA file in the layout of the PDB's sequence file
// (headers like ">1ehz_A mol:na length:76  TRNA PHE"). A record's sequence
// may span several lines; it ends at the next header.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "model/model.h"
#include "util/reporter.h"

namespace bexora {

// What looking up the run's two chains found.
enum class FastaLookup { kBothFound, kChainMissing, kUnreadable };

// Fills the sequence side of the residue maps for reference (maps[0]) and
// target (maps[1]); kChainMissing leaves a side without sequence empty, and
// kUnreadable, after a message, tells a missing file or one that breaks off.
FastaLookup lookUpFastaSequences(const std::string& fileName, const std::string& refPdbId, const std::string& refChain,
                                 const std::string& targetPdbId, const std::string& targetChain, ResidueMapPair& maps,
                                 const Reporter& reporter);

// The same; true for kBothFound.
bool readFastaSequence(const std::string& fileName, const std::string& refPdbId, const std::string& refChain,
                       const std::string& targetPdbId, const std::string& targetChain, ResidueMapPair& maps,
                       const Reporter& reporter);

// A FASTA file's lines held in memory, for runs that look up the chains of
// many pairs: the file is read once, and each lookup gives the result and
// the messages that reading the file would.
struct FastaText {
  std::string fileName;
  bool opened = false;
  bool complete = false;  // false: reading broke off before the end
  std::vector<std::pair<long, std::string>> lines;  // line number, text without leading blanks; blank lines left out
};

// Overlong lines are told to `reporter`.
FastaText loadFastaText(const std::string& fileName, const Reporter& reporter);

FastaLookup lookUpFastaSequences(const FastaText& text, const std::string& refPdbId, const std::string& refChain,
                                 const std::string& targetPdbId, const std::string& targetChain, ResidueMapPair& maps,
                                 const Reporter& reporter);
bool readFastaSequence(const FastaText& text, const std::string& refPdbId, const std::string& refChain,
                       const std::string& targetPdbId, const std::string& targetChain, ResidueMapPair& maps,
                       const Reporter& reporter);

// Raw sequences of a list of (PDB id, chain); a candidate no header names
// keeps the empty string. False when the file is missing or breaks off, or
// nothing matched.
bool readFastaSeqList(const std::string& fileName, const std::vector<std::string>& pdbIds,
                      const std::vector<std::string>& chainIds, std::vector<std::string>& sequences,
                      const Reporter& reporter);

}  // namespace bexora
