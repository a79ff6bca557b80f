// The mmCIF format of a structure file: the _atom_site loop of the first
// model (author numbering and chain where given), _pdbx_struct_mod_residue
// for the parents of modified nucleotides, and the quality items.
#pragma once

#include "model/model.h"
#include "structure/atom_sink.h"
#include "util/line_reader.h"

namespace bexora {

void readCifFormat(LineReader& reader, RefineInfo& refine, AtomSink& sink);

}  // namespace bexora
