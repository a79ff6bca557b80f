#include "driver/shared_inputs.h"

namespace bexora {

bool readStructureFile(const RunSettings& settings, const std::string& pdbId, const std::string& chainId,
                       LoadedStructure& loaded, const Reporter& reporter) {
  StructureReadOptions options{settings.readModified, settings.unknownDpi};
  return readPDBFile(settings.inputFolder, pdbId, loaded.refine, chainId, loaded.atoms, reporter, &loaded.file,
                     options);
}

namespace {

std::string keyOf(const std::string& pdbId, const std::string& chainId) { return pdbId + ":" + chainId; }

}  // namespace

SharedInputs::Entry& SharedInputs::entryOf(const std::string& key) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::unique_ptr<Entry>& entry = structures_[key];
  if (!entry) entry = std::make_unique<Entry>();
  return *entry;
}

std::shared_ptr<const LoadedStructure> SharedInputs::structure(const std::string& pdbId, const std::string& chainId,
                                                               const Reporter& reporter) {
  Entry& entry = entryOf(keyOf(pdbId, chainId));
  std::call_once(entry.read, [&] {
    Reporter capture = keepingReporter(entry.messages, settings_.verbose);
    auto loaded = std::make_shared<LoadedStructure>();
    if (!readStructureFile(settings_, pdbId, chainId, *loaded, capture)) return;
    loaded->atoms.shrink_to_fit();  // held until the last pair that names it is done
    entry.loaded = std::move(loaded);
  });
  relayAll(entry.messages, reporter);
  return entry.loaded;
}

const FastaText& SharedInputs::fasta(const std::string& fileName, const Reporter& reporter) {
  std::call_once(fastaRead_,
                 [&] { fasta_ = loadFastaText(fileName, keepingReporter(fastaMessages_, settings_.verbose)); });
  relayAll(fastaMessages_, reporter);
  return fasta_;
}

const ReadAnnotation& SharedInputs::annotation(const std::string& pdbId, const std::string& chainId, int method,
                                               const AnnotationReader& read, bool& ok) {
  SharedAnnotation& shared = entryOf(keyOf(pdbId, chainId)).annotations.at(static_cast<std::size_t>(method));
  std::call_once(shared.read, [&] { shared.ok = read(shared.kept); });
  ok = shared.ok;
  return shared.kept;
}

void SharedInputs::expectUse(const std::string& pdbId, const std::string& chainId) {
  ++entryOf(keyOf(pdbId, chainId)).usesLeft;
}

void SharedInputs::endUse(const std::string& pdbId, const std::string& chainId) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = structures_.find(keyOf(pdbId, chainId));
  if (found != structures_.end() && --found->second->usesLeft <= 0) structures_.erase(found);
}

std::size_t SharedInputs::structuresHeld() {
  std::lock_guard<std::mutex> lock(mutex_);
  return structures_.size();
}

}  // namespace bexora
