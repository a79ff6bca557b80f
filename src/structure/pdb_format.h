// The PDB format of a structure file: its quality REMARKs, MODRES and
// SEQRES (read before the atoms) and the ATOM/HETATM lines of the first
// model.
#pragma once

#include "model/model.h"
#include "structure/atom_sink.h"
#include "util/line_reader.h"

namespace bexora {

void readPdbFormat(LineReader& reader, RefineInfo& refine, AtomSink& sink);

}  // namespace bexora
