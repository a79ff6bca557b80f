#include "structure/chain_sequence.h"

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "structure/record_fields.h"
#include "util/line_reader.h"
#include "model/modified_nucleotides.h"

namespace bexora {

namespace {

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && (isBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

// Residue name to the name of its parent, as the file's own records give it.
using Parents = std::map<std::string, std::string, std::less<>>;

// The residue's one letter; `modified` counts a residue read as its parent.
char letterOf(std::string_view name, const Parents& parents, int& modified) {
  if (name.size() == 1 && parentBase(name) == name.front()) return name.front();
  auto own = parents.find(name);
  char letter = parentBase(own != parents.end() ? std::string_view(own->second) : name);
  if (letter == '\0') return 'N';
  ++modified;
  return letter;
}

// ---- PDB format: SEQRES and MODRES records.

std::string_view trimmedColumns(std::string_view line, std::size_t first, std::size_t last) {
  return trimmed(columns(line, first, last));
}

std::vector<std::string_view> blankSeparated(std::string_view text) {
  std::vector<std::string_view> words;
  splitFields(text, words);
  return words;
}

bool readPdbSequence(LineReader& reader, const std::string& chainId, ChainSequence& sequence) {
  Parents parents;
  std::vector<std::string> names;
  std::string_view line;
  while (reader.next(line) && !startsWith(line, "ATOM") && !startsWith(line, "HETATM")) {
    if (startsWith(line, "MODRES"))
      parents[std::string(trimmedColumns(line, 13, 15))] = std::string(trimmedColumns(line, 25, 27));
    if (!startsWith(line, "SEQRES") || trimmedColumns(line, 12, 12) != chainId) continue;
    for (std::string_view name : blankSeparated(line.size() > 19 ? line.substr(19) : std::string_view()))
      names.emplace_back(trimmed(name));
  }
  for (const std::string& name : names) sequence.letters.push_back(letterOf(name, parents, sequence.modified));
  sequence.source = "SEQRES";
  return !sequence.letters.empty();
}

// ---- mmCIF: the categories that name sequences, read from loops and
// single-item lines alike.

// One category's rows, each a map from item name (after the dot) to value.
using Rows = std::vector<std::map<std::string, std::string>>;

const std::set<std::string, std::less<>> kWantedCategories = {"_pdbx_poly_seq_scheme", "_entity_poly",
                                                               "_pdbx_struct_mod_residue"};

std::string_view categoryOf(std::string_view item) { return item.substr(0, item.find('.')); }

// Values of one line, as splitFields takes them.
std::vector<std::string> cifValues(std::string_view line) {
  std::vector<std::string_view> fields;
  splitFields(line, fields);
  return {fields.begin(), fields.end()};
}

// The rows of the wanted categories, fed one token at a time: "loop_", an
// item name ("_entity_poly.pdbx_strand_id") or a value. A loop's values fill
// its rows in turn; a single item's value goes to its category's one row.
class CifCategories {
 public:
  std::map<std::string, Rows, std::less<>> rows;

  void loop() {
    state_ = State::kLoopNames;
    items_.clear();
  }

  void item(std::string_view name) {
    if (state_ != State::kLoopNames) {
      state_ = State::kItemValue;
      items_.clear();
    }
    items_.emplace_back(name);
    wanted_ = kWantedCategories.count(categoryOf(name)) > 0;
  }

  void value(std::string value) {
    if (state_ == State::kLoopNames) {
      state_ = State::kLoopValues;
      column_ = 0;
    }
    if (state_ == State::kLoopValues) return loopValue(std::move(value));
    if (state_ == State::kItemValue && wanted_) {
      Rows& category = rows[std::string(categoryOf(items_.front()))];
      if (category.empty()) category.emplace_back();
      category.front()[itemOf(items_.front())] = std::move(value);
    }
    state_ = State::kIdle;
  }

  // Values of a loop of no wanted category need not be read at all.
  bool skipsValues() const { return state_ == State::kLoopValues && !wanted_; }

 private:
  enum class State { kIdle, kLoopNames, kLoopValues, kItemValue };

  static std::string itemOf(const std::string& name) { return name.substr(name.find('.') + 1); }

  void loopValue(std::string value) {
    if (!wanted_ || items_.empty()) return;
    Rows& category = rows[std::string(categoryOf(items_.front()))];
    if (column_ == 0) category.emplace_back();
    category.back()[itemOf(items_[column_])] = std::move(value);
    column_ = (column_ + 1) % items_.size();
  }

  State state_ = State::kIdle;
  bool wanted_ = false;
  std::vector<std::string> items_;
  std::size_t column_ = 0;
};

// Splits the file into tokens for `categories`; a text field (lines between
// two lines that start with ';') is one value.
bool readCifCategories(LineReader& reader, CifCategories& categories) {
  std::string_view line;
  std::string text;
  bool inText = false;
  while (reader.next(line)) {
    if (inText || (!line.empty() && line.front() == ';')) {
      bool closing = inText && !line.empty() && line.front() == ';';
      if (!inText) text = std::string(line.substr(1));
      else if (!closing) text += std::string(trimmed(line));
      inText = !closing;
      if (closing) categories.value(text);
      continue;
    }
    line = trimmed(line);
    if (line.empty() || line.front() == '#' || startsWith(line, "data_")) continue;
    if (categories.skipsValues() && line.front() != '_' && !startsWith(line, "loop_")) continue;
    for (std::string& word : cifValues(line)) {
      if (word == "loop_") categories.loop();
      else if (word.front() == '_') categories.item(word);
      else categories.value(std::move(word));
    }
  }
  return !reader.failed();
}

const std::string kNoValue;

const std::string& valueOf(const std::map<std::string, std::string>& row, const char* item) {
  auto found = row.find(item);
  return found == row.end() ? kNoValue : found->second;
}

Parents cifParents(const CifCategories& categories) {
  Parents parents;
  auto modified = categories.rows.find("_pdbx_struct_mod_residue");
  if (modified == categories.rows.end()) return parents;
  for (const auto& row : modified->second) parents[valueOf(row, "label_comp_id")] = valueOf(row, "parent_comp_id");
  return parents;
}

// The chain's residues in seq_id order; of residues sharing a seq_id
// (micro-heterogeneity) the first.
bool sequenceFromScheme(const CifCategories& categories, const std::string& chainId, ChainSequence& sequence) {
  auto scheme = categories.rows.find("_pdbx_poly_seq_scheme");
  if (scheme == categories.rows.end()) return false;
  const Parents parents = cifParents(categories);
  std::string lastSeqId;
  for (const auto& row : scheme->second) {
    if (valueOf(row, "pdb_strand_id") != chainId || valueOf(row, "seq_id") == lastSeqId) continue;
    lastSeqId = valueOf(row, "seq_id");
    sequence.letters.push_back(letterOf(valueOf(row, "mon_id"), parents, sequence.modified));
  }
  sequence.source = "_pdbx_poly_seq_scheme";
  return !sequence.letters.empty();
}

bool listsChain(const std::string& strands, const std::string& chainId) {
  for (std::size_t at = 0, end; at <= strands.size(); at = end + 1) {
    end = std::min(strands.find(',', at), strands.size());
    if (trimmed(std::string_view(strands).substr(at, end - at)) == chainId) return true;
  }
  return false;
}

// The canonical one-letter code already gives parents; blanks and line breaks are dropped.
bool sequenceFromEntity(const CifCategories& categories, const std::string& chainId, ChainSequence& sequence) {
  auto entities = categories.rows.find("_entity_poly");
  if (entities == categories.rows.end()) return false;
  for (const auto& row : entities->second) {
    if (!listsChain(valueOf(row, "pdbx_strand_id"), chainId)) continue;
    for (char letter : valueOf(row, "pdbx_seq_one_letter_code_can"))
      if (!isBlank(letter) && letter != '\r' && letter != '\n') sequence.letters.push_back(letter);
    sequence.source = "_entity_poly.pdbx_seq_one_letter_code_can";
    return !sequence.letters.empty();
  }
  return false;
}

}  // namespace

bool readChainSequence(const std::string& path, bool mmCif, const std::string& chainId, ChainSequence& sequence,
                       const Reporter& reporter) {
  sequence = ChainSequence{};
  LineReader reader(reporter);
  if (!reader.open(path)) return false;
  if (!mmCif) return readPdbSequence(reader, chainId, sequence) && !reader.failed();
  CifCategories categories;
  if (!readCifCategories(reader, categories)) return false;
  return sequenceFromScheme(categories, chainId, sequence) || sequenceFromEntity(categories, chainId, sequence);
}

}  // namespace bexora
