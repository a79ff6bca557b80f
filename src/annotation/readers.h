// One entry point for the five annotation readers: the reader of a method
// is found by its place in the method table, so that adding a tool means
// one row here beside its row there.
#pragma once

#include <string>

#include "annotation/annotation_output.h"

namespace bexora {

// Reads the annotation file `path` of method `method` (an index of
// kMethods) for chain `chain` of structure `pdbId`; a method outside the
// table reads as RNAView.
bool readAnnotationFile(int method, const std::string& path, const std::string& pdbId, const std::string& chain,
                        AnnotationOutput& out, const Reporter& reporter, const AnnotationReadOptions& options);

}  // namespace bexora
