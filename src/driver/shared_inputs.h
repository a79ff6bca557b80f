// Inputs that the pairs of a batch share read-only: each structure chain, its
// annotation files and the FASTA file are read once, by the first pair that needs them, while the
// other pairs wait for that read instead of repeating it. Every pair gets the
// messages the reading gave, so each reports what a run of its own would.
// The batch lets go of a structure once the last pair that names it is done,
// so a long batch holds only the structures still to be used.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "alignment/fasta.h"
#include "driver/pipeline.h"

namespace bexora {

// Reads one chain's atoms and quality record as every run does.
bool readStructureFile(const RunSettings& settings, const std::string& pdbId, const std::string& chainId,
                       LoadedStructure& loaded, const Reporter& reporter);

class SharedInputs {
 public:
  explicit SharedInputs(const RunSettings& settings) : settings_(settings) {}
  SharedInputs(const SharedInputs&) = delete;
  SharedInputs& operator=(const SharedInputs&) = delete;

  // The chain as readStructureFile gives it, or null when it could not be
  // read; the messages of its reading go to `reporter` on every call.
  std::shared_ptr<const LoadedStructure> structure(const std::string& pdbId, const std::string& chainId,
                                                   const Reporter& reporter);

  // The file's text; the messages of its reading go to `reporter` on every call.
  const FastaText& fasta(const std::string& fileName, const Reporter& reporter);

  // The chain's annotation by `method`, read by `read` on the first call and
  // kept with the chain's structure; null when it could not be read. The
  // caller tells the reading's messages, which are kept with it.
  using AnnotationReader = std::function<bool(ReadAnnotation&)>;
  const ReadAnnotation& annotation(const std::string& pdbId, const std::string& chainId, int method,
                                   const AnnotationReader& read, bool& ok);

  // Counted before the pairs start: one use per pair that names the chain.
  void expectUse(const std::string& pdbId, const std::string& chainId);
  // After a pair is done; the chain's last use drops it.
  void endUse(const std::string& pdbId, const std::string& chainId);
  // Chains read or still to be read.
  std::size_t structuresHeld();

 private:
  struct SharedAnnotation {
    std::once_flag read;
    bool ok = false;
    ReadAnnotation kept;
  };

  struct Entry {
    std::once_flag read;
    std::shared_ptr<const LoadedStructure> loaded;  // null when it could not be read
    KeptMessages messages;
    std::array<SharedAnnotation, kMethodCount> annotations;
    int usesLeft = 0;
  };

  Entry& entryOf(const std::string& key);

  const RunSettings settings_;
  std::mutex mutex_;  // guards the map only; each entry is filled under its own once_flag
  std::map<std::string, std::unique_ptr<Entry>> structures_;
  std::once_flag fastaRead_;
  FastaText fasta_;
  KeptMessages fastaMessages_;
};

}  // namespace bexora
