#include "alignment/fasta.h"

#include <cctype>

#include "model/basepair.h"
#include "util/line_reader.h"

namespace bexora {

namespace {

// Headers up to this length name no chain for the run's two sides; the list
// reader accepts one character less.
constexpr std::size_t kShortHeader = 7;
constexpr std::size_t kIdStart = 1;
constexpr std::size_t kChainStart = 6;
// Id and chain field are compared without regard to case.
constexpr std::size_t kCaseFreeLength = kChainStart + kChainIdWidth;

std::string upperCased(std::string_view text, std::size_t count) {
  std::string copy(text);
  for (std::size_t i = 0; i < copy.size() && i < count; ++i)
    copy[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(copy[i])));
  return copy;
}

// The header (already upper-cased) names the PDB id at characters 1 to 4
// and the chain in the field from character 6 to the first blank, whole:
// chain A is not chain AA.
bool headerNames(std::string_view header, const std::string& pdbId, const std::string& chain) {
  if (header.size() < kChainStart) return false;
  std::string_view id = header.substr(kIdStart, kPdbIdWidth);
  std::string_view chainField = header.substr(kChainStart);
  return id == std::string_view(pdbId).substr(0, kPdbIdWidth) &&
         chainField.substr(0, chainField.find_first_of(" \t")) == chain;
}

bool isWhitespace(unsigned char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; }

void warnSecondHeader(const std::string& pdbId, const std::string& chain, long lineNumber, const std::string& file,
                      const Reporter& reporter) {
  reporter.warn("Another sequence of %s chain %s at line %ld of %s is ignored; the first is kept.\n",
               pdbId.c_str(), chain.c_str(), lineNumber, file.c_str());
}

void warnChainLimit(const std::string& pdbId, const std::string& chain, const std::string& file,
                    const Reporter& reporter) {
  reporter.limitReached(("Chain " + pdbId + " " + chain + " residue").c_str(), kMaxChainResidues, file);
}

struct SequenceReader {
  const std::string& fileName;
  const std::string* pdbIds[kSides];
  const std::string* chains[kSides];
  ResidueMapPair& maps;
  const Reporter& reporter;
  bool pending[kSides] = {false, false};
  bool limitWarned[kSides] = {false, false};

  // A header ends the pending record whatever it names.
  void header(std::string_view line, long lineNumber) {
    pending[kReference] = pending[kTarget] = false;
    if (line.size() <= kShortHeader) return;
    std::string head = upperCased(line, kCaseFreeLength);
    for (int side = 0; side < kSides; ++side) {
      if (!headerNames(head, *pdbIds[side], *chains[side])) continue;
      StructureResidueMap& map = maps[side];
      if (map.chainCount > 0) {
        warnSecondHeader(*pdbIds[side], *chains[side], lineNumber, fileName, reporter);
        continue;
      }
      setField(map.pdbId, std::string_view(head).substr(kIdStart, kPdbIdWidth));
      setField(map.chain.chainId, *chains[side]);
      map.chainCount = 1;
      pending[side] = true;
    }
  }

  // Upper-cases and checks the residues of one line that fit in `room`;
  // whitespace is reported and dropped, other faulty letters are reported
  // and kept. `cut` tells that residues past the room were left out. The
  // messages are followed by the line they are about.
  std::string residuesOf(std::string_view line, long lineNumber, std::size_t position, std::size_t room,
                         bool& cut) const {
    std::string residues;
    bool problem = false, reported = false;
    std::size_t blankReportedAt = std::string::npos;
    for (char raw : line) {
      std::size_t at = position + residues.size();
      if (isWhitespace(static_cast<unsigned char>(raw))) {
        // A run of blanks stands at one position: one message, not one per byte.
        if (at != blankReportedAt) reporter.say("No valid nucleotide in seq-1 at position-%zu\n", at);
        blankReportedAt = at;
        problem = true;
        continue;
      }
      if (residues.size() == room) {
        cut = true;
        break;
      }
      char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(raw)));
      if (letter == 'N') {
        reporter.warn("Nucleotide 'N' in seq-1 at position-%zu is kept as 'N'.\n", at);
        reported = true;
      } else if (!isStandardBase(letter)) {
        reporter.say("Invalid nucleotide '%c' in seq-1 at position-%zu\n", letter, at);
        problem = true;
      }
      residues.push_back(letter);
    }
    if (problem || reported) reporter.lineOf(lineNumber, fileName);
    if (problem) {
      reporter.say("--");
      reporter.warn("There are data inconsistency, as described above--\n--Continuing with invalid data--\n\n");
    }
    return residues;
  }

  // Both sides are pending only when one header named both, so their chains
  // hold the same residues and one check serves both.
  void sequenceLine(std::string_view line, long lineNumber) {
    int first = pending[kReference] ? kReference : pending[kTarget] ? kTarget : -1;
    if (first < 0) return;
    std::size_t stored = maps[first].chain.entries.size();
    bool cut = false;
    std::string residues = residuesOf(line, lineNumber, stored, kMaxChainResidues - stored, cut);
    for (int side = first; side < kSides; ++side) {
      if (!pending[side]) continue;
      std::vector<ResidueMapEntry>& entries = maps[side].chain.entries;
      for (char letter : residues)
        entries.push_back(ResidueMapEntry{letter, 0, static_cast<int32_t>(entries.size()) + 1, ' ', -1});
      if (cut && !limitWarned[side]) warnChainLimit(*pdbIds[side], *chains[side], fileName, reporter);
      limitWarned[side] = limitWarned[side] || cut;
    }
  }
};

// A candidate takes the lines after the first header that names it (the
// first matching candidate in list order); a later header naming it again is
// reported and its lines are skipped.
struct ListReader {
  const std::string& fileName;
  const std::vector<std::string>& pdbIds;
  const std::vector<std::string>& chainIds;
  std::vector<std::string>& sequences;
  const Reporter& reporter;
  std::vector<bool> named = std::vector<bool>(pdbIds.size(), false);
  std::vector<bool> limitWarned = std::vector<bool>(pdbIds.size(), false);
  long current = -1;

  void header(std::string_view line, long lineNumber) {
    current = -1;
    if (line.size() < kShortHeader) return;
    std::string head = upperCased(line, kCaseFreeLength);
    std::size_t i = 0;
    while (i < pdbIds.size() && !headerNames(head, pdbIds[i], chainIds[i])) ++i;
    if (i == pdbIds.size()) return;
    if (named[i]) return warnSecondHeader(pdbIds[i], chainIds[i], lineNumber, fileName, reporter);
    named[i] = true;
    current = static_cast<long>(i);
  }

  // Candidate sequences are kept as the file writes them.
  void sequenceLine(std::string_view line, long) {
    if (current < 0) return;
    std::string& sequence = sequences[current];
    std::size_t room = kMaxChainResidues - sequence.size();
    if (line.size() > room && !limitWarned[current]) {
      warnChainLimit(pdbIds[current], chainIds[current], fileName, reporter);
      limitWarned[current] = true;
    }
    sequence.append(line.substr(0, room));
  }
};

template <typename Reader>
void feedLine(std::string_view line, long lineNumber, Reader& records) {
  if (line[0] == '>')
    records.header(line, lineNumber);
  else
    records.sequenceLine(line, lineNumber);
}

// Feeds every non-blank line, without its leading blanks, to the reader.
template <typename Reader>
bool readRecords(const std::string& fileName, Reader& records) {
  LineReader reader(records.reporter);
  if (!reader.open(fileName)) {
    records.reporter.say("File \"%s\" was not found.\n", fileName.c_str());
    return false;
  }
  std::string_view line;
  while (nextContentLine(reader, line)) feedLine(line, reader.lineNumber(), records);
  if (reader.failed()) {
    records.reporter.say("File \"%s\" could not be read to its end.\n", fileName.c_str());
    return false;
  }
  return true;
}

template <typename Reader>
bool readRecords(const FastaText& text, Reader& records) {
  if (!text.opened) {
    records.reporter.say("File \"%s\" was not found.\n", text.fileName.c_str());
    return false;
  }
  for (const auto& [lineNumber, line] : text.lines) feedLine(line, lineNumber, records);
  if (!text.complete) {
    records.reporter.say("File \"%s\" could not be read to its end.\n", text.fileName.c_str());
    return false;
  }
  return true;
}

template <typename Source>
FastaLookup readSequencePair(const Source& source, const std::string& fileName, const std::string& refPdbId,
                      const std::string& refChain, const std::string& targetPdbId, const std::string& targetChain,
                      ResidueMapPair& maps, const Reporter& reporter) {
  for (StructureResidueMap& map : maps) map = StructureResidueMap{};
  SequenceReader records{fileName, {&refPdbId, &targetPdbId}, {&refChain, &targetChain}, maps, reporter};
  if (!readRecords(source, records)) return FastaLookup::kUnreadable;
  FastaLookup found = FastaLookup::kBothFound;
  for (StructureResidueMap& map : maps) {
    if (map.chainCount > 0 && !map.chain.entries.empty()) continue;
    map = StructureResidueMap{};
    found = FastaLookup::kChainMissing;
  }
  return found;
}

}  // namespace

FastaLookup lookUpFastaSequences(const std::string& fileName, const std::string& refPdbId, const std::string& refChain,
                                 const std::string& targetPdbId, const std::string& targetChain, ResidueMapPair& maps,
                                 const Reporter& reporter) {
  return readSequencePair(fileName, fileName, refPdbId, refChain, targetPdbId, targetChain, maps, reporter);
}

bool readFastaSequence(const std::string& fileName, const std::string& refPdbId, const std::string& refChain,
                       const std::string& targetPdbId, const std::string& targetChain, ResidueMapPair& maps,
                       const Reporter& reporter) {
  return lookUpFastaSequences(fileName, refPdbId, refChain, targetPdbId, targetChain, maps, reporter) ==
         FastaLookup::kBothFound;
}

FastaText loadFastaText(const std::string& fileName, const Reporter& reporter) {
  FastaText text;
  text.fileName = fileName;
  LineReader reader(reporter);
  text.opened = reader.open(fileName);
  if (!text.opened) return text;
  std::string_view line;
  while (nextContentLine(reader, line)) text.lines.emplace_back(reader.lineNumber(), std::string(line));
  text.complete = !reader.failed();
  return text;
}

FastaLookup lookUpFastaSequences(const FastaText& text, const std::string& refPdbId, const std::string& refChain,
                                 const std::string& targetPdbId, const std::string& targetChain, ResidueMapPair& maps,
                                 const Reporter& reporter) {
  return readSequencePair(text, text.fileName, refPdbId, refChain, targetPdbId, targetChain, maps, reporter);
}

bool readFastaSequence(const FastaText& text, const std::string& refPdbId, const std::string& refChain,
                       const std::string& targetPdbId, const std::string& targetChain, ResidueMapPair& maps,
                       const Reporter& reporter) {
  return lookUpFastaSequences(text, refPdbId, refChain, targetPdbId, targetChain, maps, reporter) ==
         FastaLookup::kBothFound;
}

bool readFastaSeqList(const std::string& fileName, const std::vector<std::string>& pdbIds,
                      const std::vector<std::string>& chainIds, std::vector<std::string>& sequences,
                      const Reporter& reporter) {
  sequences.assign(pdbIds.size(), std::string());
  ListReader records{fileName, pdbIds, chainIds, sequences, reporter};
  if (!readRecords(fileName, records)) return false;
  for (const std::string& sequence : sequences)
    if (!sequence.empty()) return true;
  return false;
}

}  // namespace bexora
