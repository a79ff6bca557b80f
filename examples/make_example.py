#!/usr/bin/env python3
"""Synthetic input sets for Bexora: the bundled example and the benchmark inputs.

Every structure is built from idealised A-form nucleotides placed on helical
frames, so the coordinates are plausible where the geometric test looks (C1',
C2, C5 and the edge atoms of paired bases).  Homologous chains are variants of
one ancestor: the same frames, a few substitutions, deletions, insertions and
moved residues, and a small deterministic jitter on every atom.  Each tool's
annotation is written from one list of true pairs in that tool's layout, with
deterministic per-tool omissions, so a run finds common, carried-over and
target-only pairs.

    python3 make_example.py example OUTDIR
    python3 make_example.py benchmark OUTDIR [--size small|ribosome]
    python3 make_example.py pair OUTDIR [--residues 2900] [--pairs 3000]

Standard library only; output is byte-for-byte reproducible.
"""

import argparse
import math
import os
import random
import sys
import time
import zlib

TOOLS = ("mca", "rv", "fr3d", "dssr", "cr")

# ---------------------------------------------------------------- geometry


def vsub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def vadd(a, b):
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def vmul(a, s):
    return (a[0] * s, a[1] * s, a[2] * s)


def vdot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def vcross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def vunit(a):
    n = math.sqrt(vdot(a, a))
    return (a[0] / n, a[1] / n, a[2] / n)


def distance(a, b):
    d = vsub(a, b)
    return math.sqrt(vdot(d, d))


def rot_z(deg):
    c, s = math.cos(math.radians(deg)), math.sin(math.radians(deg))
    return ((c, -s, 0.0), (s, c, 0.0), (0.0, 0.0, 1.0))


def rot_x(deg):
    c, s = math.cos(math.radians(deg)), math.sin(math.radians(deg))
    return ((1.0, 0.0, 0.0), (0.0, c, -s), (0.0, s, c))


def mat_vec(m, v):
    return (vdot(m[0], v), vdot(m[1], v), vdot(m[2], v))


def mat_mul(a, b):
    return tuple(tuple(sum(a[i][k] * b[k][j] for k in range(3)) for j in range(3)) for i in range(3))


def transposed(m):
    return tuple(tuple(m[j][i] for j in range(3)) for i in range(3))


class Frame:
    """Rigid placement: local point p goes to rot * p + origin."""

    def __init__(self, rot, origin):
        self.rot = rot
        self.origin = origin

    def apply(self, p):
        return vadd(mat_vec(self.rot, p), self.origin)

    def inverse_apply(self, p):
        return mat_vec(transposed(self.rot), vsub(p, self.origin))

    def shifted(self, local_offset):
        return Frame(self.rot, self.apply(local_offset))

    def flipped(self):
        """Frame of the partner base: a two-fold turn about the pair's x axis."""
        return Frame(mat_mul(self.rot, rot_x(180.0)), self.origin)


def place_atom(a, b, c, bond, angle_deg, torsion_deg):
    """Atom d bonded to c with angle b-c-d and torsion a-b-c-d."""
    th, ph = math.radians(angle_deg), math.radians(torsion_deg)
    bc = vunit(vsub(c, b))
    n = vunit(vcross(vsub(b, a), bc))
    m = vcross(n, bc)
    d = (-bond * math.cos(th), bond * math.sin(th) * math.cos(ph), bond * math.sin(th) * math.sin(ph))
    return vadd(c, vadd(vadd(vmul(bc, d[0]), vmul(m, d[1])), vmul(n, d[2])))


def tetrahedral(centre, n1, n2, side, bond):
    """One of the two free sp3 positions at `centre` bonded to n1 and n2."""
    u1, u2 = vunit(vsub(n1, centre)), vunit(vsub(n2, centre))
    bis, nrm = vunit(vadd(u1, u2)), vunit(vcross(u1, u2))
    half = math.radians(54.75)
    return vadd(centre, vmul(vadd(vmul(bis, -math.cos(half)), vmul(nrm, side * math.sin(half))), bond))


# A-form helix: per-step twist and rise, base-pair displacement and
# inclination, and backbone torsions fitted so that O3'(i)-P(i+1) is 1.60 A
# with canonical angles (epsilon -152, zeta -80, alpha -60, delta 84).
TWIST, RISE, X_DISP, INCLINATION = 32.7, 2.81, -3.7, 16.0
CHI, GAMMA, BETA = -160.0, 52.0, 166.0
# C3'-endo ring torsions nu1 and nu2 (pseudorotation phase 18, amplitude 38).
NU1, NU2 = -22.3, 36.1

# Base atoms in the standard base frame (origin at the pair centre, y towards
# this base's C1', z along the helix); listed in PDB order.
BASE_ATOMS = {
    "A": (("N9", -1.291, 4.498), ("C8", 0.024, 4.897), ("N7", 0.877, 3.902), ("C5", 0.071, 2.771),
          ("C6", 0.369, 1.398), ("N6", 1.611, 0.909), ("N1", -0.668, 0.532), ("C2", -1.912, 1.023),
          ("N3", -2.320, 2.290), ("C4", -1.267, 3.124)),
    "G": (("N9", -1.289, 4.551), ("C8", 0.023, 4.962), ("N7", 0.870, 3.969), ("C5", 0.071, 2.833),
          ("C6", 0.424, 1.460), ("O6", 1.554, 0.955), ("N1", -0.700, 0.641), ("C2", -1.999, 1.087),
          ("N2", -2.949, 0.139), ("N3", -2.342, 2.364), ("C4", -1.265, 3.177)),
    "C": (("N1", -1.285, 4.542), ("C2", -1.472, 3.158), ("O2", -2.628, 2.709), ("N3", -0.391, 2.344),
          ("C4", 0.837, 2.868), ("N4", 1.875, 2.027), ("C5", 1.056, 4.275), ("C6", -0.023, 5.068)),
    "U": (("N1", -1.284, 4.500), ("C2", -1.462, 3.135), ("O2", -2.562, 2.608), ("N3", -0.298, 2.407),
          ("C4", 0.994, 2.897), ("O4", 1.944, 2.119), ("C5", 1.106, 4.338), ("C6", -0.024, 5.057)),
}
C1_POSITION = {"A": (-2.479, 5.346), "G": (-2.477, 5.399), "C": (-2.477, 5.402), "U": (-2.481, 5.354)}
BACKBONE_ORDER = ("P", "OP1", "OP2", "O5'", "C5'", "C4'", "O4'", "C3'", "O3'", "C2'", "O2'", "C1'")


def helix_frame(level):
    """Frame of the strand-I base at `level` of an A-form column."""
    rot = mat_mul(rot_z(level * TWIST), rot_x(INCLINATION))
    shift = mat_vec(rot_z(level * TWIST), (X_DISP, 0.0, 0.0))
    return Frame(rot, (shift[0], shift[1], shift[2] + level * RISE))


def build_template(base):
    """Local coordinates of every heavy atom of one nucleotide, PDB order."""
    atoms = {name: (x, y, 0.0) for name, x, y in BASE_ATOMS[base]}
    c1 = (C1_POSITION[base][0], C1_POSITION[base][1], 0.0)
    glyco, ring = ("N9", "C4") if base in "AG" else ("N1", "C2")
    n, r = atoms[glyco], atoms[ring]
    o4 = place_atom(r, n, c1, 1.42, 108.5, CHI)
    c2 = place_atom(r, n, c1, 1.53, 113.5, CHI - 120.0)  # -120 gives the D-ribose hand at C1'
    c3 = place_atom(o4, c1, c2, 1.52, 101.5, NU1)
    c4 = place_atom(c1, c2, c3, 1.52, 102.5, NU2)
    ring_normal = vcross(vsub(c2, c1), vsub(o4, c1))
    base_face = vdot(vsub(n, c1), ring_normal)

    def on_face(centre, n1, n2, bond, with_base):
        for side in (1, -1):
            p = tetrahedral(centre, n1, n2, side, bond)
            if (vdot(vsub(p, centre), ring_normal) * base_face > 0) == with_base:
                return p
        raise AssertionError("no tetrahedral position")

    c5 = on_face(c4, o4, c3, 1.51, True)
    o3 = on_face(c3, c4, c2, 1.43, False)
    o2 = on_face(c2, c3, c1, 1.41, False)
    o5 = place_atom(c3, c4, c5, 1.42, 111.0, GAMMA)
    p = place_atom(c4, c5, o5, 1.59, 120.5, BETA)
    # The phosphate oxygens point away from O5' and from the O3' of the
    # preceding nucleotide one helical step down.
    here, below = helix_frame(1), helix_frame(0)
    o3_prev = here.inverse_apply(below.apply(o3))
    op1 = tetrahedral(p, o5, o3_prev, 1, 1.48)
    op2 = tetrahedral(p, o5, o3_prev, -1, 1.48)
    sugar = {"P": p, "OP1": op1, "OP2": op2, "O5'": o5, "C5'": c5, "C4'": c4, "O4'": o4,
             "C3'": c3, "O3'": o3, "C2'": c2, "O2'": o2, "C1'": c1}
    ordered = [(name, sugar[name]) for name in BACKBONE_ORDER]
    ordered += [(name, atoms[name]) for name, _, _ in BASE_ATOMS[base]]
    return ordered


TEMPLATES = {base: build_template(base) for base in "ACGU"}


def base_atom_positions(base, frame):
    return [frame.apply((x, y, 0.0)) for _, x, y in BASE_ATOMS[base]]


def widen_if_clashing(base1, frame1, base2, frame2):
    """Partner frame moved outwards along the pair axis until no base atoms
    of the two residues are closer than 2.6 A (purine-purine pairs)."""
    first = base_atom_positions(base1, frame1)
    for step in range(13):
        candidate = frame2.shifted((0.0, 0.3 * step, 0.0))
        second = base_atom_positions(base2, candidate)
        if min(distance(a, b) for a in first for b in second) >= 2.6:
            return candidate
    return candidate


# ------------------------------------------------------------- the model


class Residue:
    def __init__(self, number, base, frame, icode=" "):
        self.number = number
        self.icode = icode
        self.base = base
        self.frame = frame
        self.offset = (0.0, 0.0, 0.0)  # rigid move of the whole nucleotide
        self.has_phosphate = True

    @property
    def key(self):
        return (self.number, self.icode)

    def label(self):
        return "%d%s" % (self.number, self.icode.strip())

    def atoms(self):
        return [(name, vadd(self.frame.apply(p), self.offset)) for name, p in TEMPLATES[self.base]
                if self.has_phosphate or name not in ("P", "OP1", "OP2")]

    def atom_total(self):
        return len(TEMPLATES[self.base]) - (0 if self.has_phosphate else 3)

    def atom(self, name):
        for atom_name, p in TEMPLATES[self.base]:
            if atom_name == name:
                return vadd(self.frame.apply(p), self.offset)
        return None


class Pair:
    """One interaction: residue keys in chain order, Leontis-Westhof edges of
    each residue (W, H, S, or a named other contact for MC-Annotate only)
    and the glycosidic orientation, 'c' or 't'."""

    def __init__(self, key1, key2, edge1, edge2, orientation):
        if key2 < key1:
            key1, key2, edge1, edge2 = key2, key1, edge2, edge1
        self.key1, self.key2 = key1, key2
        self.edge1, self.edge2 = edge1, edge2
        self.orientation = orientation

    @property
    def ident(self):
        return (self.key1, self.key2, self.edge1, self.edge2, self.orientation)

    def family(self):
        return self.orientation + self.edge1 + self.edge2

    def is_whs(self):
        return self.edge1 in "WHS" and self.edge2 in "WHS" and len(self.edge1) == len(self.edge2) == 1


def parse_family(text):
    """'tSH' -> ('S', 'H', 't')."""
    return text[1], text[2], text[0]


class Structure:
    def __init__(self, pdb_id, chain, title):
        self.pdb_id = pdb_id
        self.chain = chain
        self.title = title
        self.residues = []  # chain order
        self.pairs = []  # true interactions
        self.annotations = {}  # tool -> list of Pair
        self.quality = None
        self.jitter_seed = zlib.crc32(pdb_id.encode())
        self.hetero = []  # (residue name, atom name, element, position)
        self.stacks = None

    def residue(self, key):
        return self.by_key[key]

    def index(self):
        self.residues.sort(key=lambda r: r.key)
        self.by_key = {r.key: r for r in self.residues}
        self.serial = {r.key: i + 1 for i, r in enumerate(self.residues)}

    def sequence(self):
        return "".join(r.base for r in self.residues)

    def stacked_neighbours(self):
        """Consecutive residues whose C4 atoms sit within 6 A of each other."""
        if self.stacks is None:
            self.stacks = [(a.key, b.key) for a, b in zip(self.residues, self.residues[1:])
                           if distance(a.atom("C4"), b.atom("C4")) < 6.0]
        return self.stacks


class Quality:
    """Refinement statistics; the reflection count is derived so that the
    structure's diffraction precision index comes out as `dpi`."""

    def __init__(self, resolution, free_r, completeness3, completeness200, dpi):
        self.resolution = resolution
        self.free_r = free_r
        self.completeness3 = completeness3
        self.completeness200 = completeness200
        self.target_dpi = dpi
        self.reflections = 0

    def settle(self, atom_count):
        comp = max(self.completeness3, self.completeness200) / 100.0
        root = self.target_dpi / (self.free_r * self.resolution * comp ** (-1.0 / 3.0))
        self.reflections = int(round(atom_count / (root * root)))

    def dpi(self, atom_count):
        comp = max(self.completeness3, self.completeness200) / 100.0
        return math.sqrt(atom_count / self.reflections) * self.free_r * self.resolution * comp ** (-1.0 / 3.0)


def atom_count(structure):
    return sum(r.atom_total() for r in structure.residues) + len(structure.hetero)


# ------------------------------------------------------------- writers


def jittered_atoms(structure):
    """All atoms, each moved by at most 0.05 A, reproducibly per structure."""
    rng = random.Random(structure.jitter_seed)
    out = []
    for r in structure.residues:
        for name, p in r.atoms():
            d = (rng.uniform(-0.028, 0.028), rng.uniform(-0.028, 0.028), rng.uniform(-0.028, 0.028))
            out.append((r, name, vadd(p, d)))
    return out


def pdb_atom_line(record, serial, name, resname, chain, number, icode, p, bfactor, element):
    field = name if len(name) == 4 else " " + name.ljust(3)
    return "%-6s%5d %s %3s %s%4d%s   %8.3f%8.3f%8.3f%6.2f%6.2f          %2s  " % (
        record, serial % 100000, field, resname, chain, number, icode, p[0], p[1], p[2], 1.0, bfactor, element)


def write_pdb(structure, path):
    q = structure.quality
    s = structure
    lines = ["HEADER    RNA                                     06-DEC-26   %s              " % s.pdb_id,
             "TITLE     %-70s" % s.title,
             "REMARK   2                                                                      ",
             "REMARK   2 RESOLUTION.    %4.2f ANGSTROMS.                                       " % q.resolution,
             "REMARK   3                                                                      ",
             "REMARK   3 REFINEMENT.                                                          ",
             "REMARK   3  DATA USED IN REFINEMENT.                                            ",
             "REMARK   3   RESOLUTION RANGE HIGH (ANGSTROMS) : %4.2f                           " % q.resolution,
             "REMARK   3   RESOLUTION RANGE LOW  (ANGSTROMS) : 40.00                          ",
             "REMARK   3   COMPLETENESS FOR RANGE        (%%) : %4.1f                           " % q.completeness3,
             "REMARK   3   NUMBER OF REFLECTIONS             : %-8d                       " % q.reflections,
             "REMARK   3  FIT TO DATA USED IN REFINEMENT.                                     ",
             "REMARK   3   R VALUE            (WORKING SET) : %5.3f                          " % (q.free_r - 0.035),
             "REMARK   3   FREE R VALUE                     : %5.3f                          " % q.free_r,
             "REMARK   3   FREE R VALUE TEST SET SIZE   (%) : 5.0                            ",
             "REMARK 200                                                                      ",
             "REMARK 200  OVERALL.                                                            ",
             "REMARK 200   COMPLETENESS FOR RANGE     (%%) : %4.1f                             " % q.completeness200,
             "REMARK 200   DATA REDUNDANCY                : 4.1                               "]
    seq = [r.base for r in s.residues]
    for i in range(0, len(seq), 13):
        chunk = "".join("%4s" % b for b in seq[i:i + 13])
        lines.append("SEQRES %3d %s %4d  %-52s" % (i // 13 + 1, s.chain, len(seq), chunk))
    serial = 0
    for r, name, p in jittered_atoms(s):
        serial += 1
        bfactor = 30.0 + 10.0 * math.sin(r.number * 0.37)
        lines.append(pdb_atom_line("ATOM", serial, name, r.base, s.chain, r.number, r.icode, p, bfactor, name[0]))
    last = s.residues[-1]
    serial += 1
    lines.append("TER   %5d      %3s %s%4d%s                                                      "
                 % (serial, last.base, s.chain, last.number, last.icode))
    for i, (resname, name, element, p) in enumerate(s.hetero):
        serial += 1
        lines.append(pdb_atom_line("HETATM", serial, name, resname, s.chain, 3001 + i, " ", p, 45.0, element))
    lines.append("END" + " " * 77)
    write_lines(path, lines)


def write_lines(path, lines):
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(line.rstrip() for line in lines) + "\n")


SAENGER = {"GC": "XIX", "CG": "XIX", "AU": "XX", "UA": "XX", "GU": "XXVIII", "UG": "XXVIII"}
SAENGER_NUMBER = {"XIX": 19, "XX": 20, "XXVIII": 28, "XI": 11}


def bases_of(structure, pair):
    return structure.residue(pair.key1).base + structure.residue(pair.key2).base


def saenger(structure, pair):
    combo = bases_of(structure, pair)
    if pair.family() == "cWW" and combo in SAENGER:
        return SAENGER[combo]
    if pair.family() in ("tSH", "tHS") and combo in ("GA", "AG"):
        return "XI"
    return ""


def strand_direction(pair):
    """Local strand direction of a Leontis-Westhof family."""
    same = pair.edge1 == pair.edge2
    mixed_parallel = {frozenset("WH"), frozenset("HS")}
    if same or frozenset(pair.edge1 + pair.edge2) not in mixed_parallel:
        parallel = pair.orientation == "t"
    else:
        parallel = pair.orientation == "c"
    return "parallel" if parallel else "antiparallel"


def mca_edge_name(edge, pair, which, combo):
    if len(edge) > 1:
        return edge  # a named contact such as O2' or O2P
    if pair.family() == "cWW" and combo in ("GU", "UG") and combo[which] == "U":
        return "Ws"
    return edge + edge.lower()


def mca_residue(structure, key):
    number, icode = key
    return "%s%d" % (structure.chain, number) + ("." + icode if icode != " " else "")


def write_mc_annotate(structure, pairs, path):
    s = structure
    lines = ["Residue conformations -------------------------------------------"]
    for r in s.residues:
        pucker = "C3p_endo" if r.number % 17 else "C2p_endo"
        lines.append("%s : %s %s anti" % (mca_residue(s, r.key), r.base, pucker))
    lines.append("Adjacent stackings ----------------------------------------------")
    stacks = s.stacked_neighbours()
    for k1, k2 in stacks:
        lines.append("%s-%s : adjacent_5p upward" % (mca_residue(s, k1), mca_residue(s, k2)))
    lines.append("Non-Adjacent stackings ------------------------------------------")
    lines.append("Number of stackings = %d" % len(stacks))
    lines.append("Number of adjacent stackings = %d" % len(stacks))
    lines.append("Number of non adjacent stackings = 0")
    lines.append("Base-pairs ------------------------------------------------------")
    for p in sorted(pairs, key=lambda p: p.ident):
        combo = bases_of(s, p)
        edges = "%s/%s" % (mca_edge_name(p.edge1, p, 0, combo), mca_edge_name(p.edge2, p, 1, combo))
        words = [edges]
        if p.key2[0] - p.key1[0] == 1:
            words.append("adjacent_5p")
        words.append("pairing")
        if p.is_whs():
            words += [strand_direction(p), "cis" if p.orientation == "c" else "trans"]
            words.append(saenger(s, p) or "one_hbond")
        lines.append("%s-%s : %s-%s %s " % (mca_residue(s, p.key1), mca_residue(s, p.key2),
                                          combo[0], combo[1], " ".join(words)))
    write_lines_keep_trailing(path, lines)


def write_lines_keep_trailing(path, lines):
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def rnaview_edges(structure, pair):
    combo = bases_of(structure, pair)
    if pair.family() == "cWW" and combo in ("GC", "CG"):
        return "+/+"
    if pair.family() == "cWW" and combo in ("AU", "UA"):
        return "-/-"
    return "%s/%s" % (pair.edge1, pair.edge2)


def write_rnaview(structure, pairs, path):
    s = structure
    lines = ["PDB data file name: %s.pdb" % s.pdb_id,
             "-----------------------------------------------------------",
             "Synthetic chain %s of %s, %d bases" % (s.chain, s.pdb_id, len(s.residues)),
             "-----------------------------------------------------------",
             "BEGIN_base-pair"]
    rows = []
    for p in pairs:
        if p.key1[1] != " " or p.key2[1] != " ":
            continue  # the pair lines carry no insertion code
        remark = saenger(s, p) or ("n/a" if p.orientation == "t" else "!1H(b_b)")
        orient = "cis " if p.orientation == "c" else "tran"
        text = "%s %s        %s" % (rnaview_edges(s, p), orient, remark)
        rows.append((p.key1, p.key2, text))
    for k1, k2 in s.stacked_neighbours():
        if k1[1] == " " and k2[1] == " ":
            rows.append((k1, k2, "     stacked"))
    for k1, k2, text in sorted(rows):
        lines.append("%6d_%d, %s:%6d %s-%s%6d %s: %s" % (
            s.serial[k1], s.serial[k2], s.chain, k1[0], s.residue(k1).base, s.residue(k2).base,
            k2[0], s.chain, text))
    lines.append("END_base-pair")
    lines.append("")
    lines.append("  The total base pairs = %3d (from %4d bases)" % (
        sum(1 for r in rows if "/" in r[2]), len(s.residues)))
    write_lines(path, lines)


def fr3d_unit(structure, key):
    r = structure.residue(key)
    unit = "%s|1|%s|%s|%d" % (structure.pdb_id, structure.chain, r.base, r.number)
    return unit + ("|||" + r.icode if r.icode != " " else "")


def write_fr3d(structure, pairs, path, near=frozenset()):
    s = structure
    rows = []
    for p in pairs:
        prefix = "n" if p.ident in near else ""
        rows.append((p.key1, p.key2, prefix + p.family(), ""))
        rows.append((p.key2, p.key1, prefix + p.orientation + p.edge2 + p.edge1, ""))
    for k1, k2 in s.stacked_neighbours():
        rows.append((k1, k2, "", "s35"))
        rows.append((k2, k1, "", "s53"))
    for r in s.residues[::9]:
        partner = s.residues[(s.serial[r.key] + 4) % len(s.residues)]
        if partner.key != r.key:
            rows.append((r.key, partner.key, "", "", "%dBPh" % (r.number % 10)))
    merged = {}
    for row in rows:
        k1, k2 = row[0], row[1]
        fields = merged.setdefault((k1, k2), ["", "", ""])
        for i, value in enumerate(row[2:]):
            if value:
                fields[i] = value
    lines = ["nt1_unit_id,nt2_unit_id,pair_family,stacking_class,base_phosphate_class"]
    for (k1, k2) in sorted(merged):
        f = merged[(k1, k2)]
        lines.append("%s,%s,%s,%s,%s" % (fr3d_unit(s, k1), fr3d_unit(s, k2), f[0], f[1], f[2]))
    write_lines(path, lines)


DSSR_HEADER = "nt1            nt2           bp  name        Saenger    LW  DSSR"


def dssr_nt(structure, key):
    r = structure.residue(key)
    return "%s.%s%d" % (structure.chain, r.base, r.number) + ("^" + r.icode if r.icode != " " else "")


def dssr_name(structure, pair):
    combo = bases_of(structure, pair)
    if pair.family() == "cWW" and combo in ("GC", "CG", "AU", "UA"):
        return "WC"
    if pair.family() == "cWW" and combo in ("GU", "UG"):
        return "Wobble"
    if pair.family() in ("tSH", "tHS"):
        return "~Sheared"
    return "--"


def write_dssr(structure, pairs, path):
    s = structure
    kept = [p for p in sorted(pairs, key=lambda p: p.ident) if p.is_whs()]
    lines = ["****************************************************************************",
             "File name: %s.pdb" % s.pdb_id,
             "    no. of DNA/RNA chains: 1 [%s=%d]" % (s.chain, len(s.residues)),
             "    no. of nucleotides:    %d" % len(s.residues),
             "****************************************************************************",
             "List of %d base pairs" % len(kept),
             "     " + DSSR_HEADER]
    for i, p in enumerate(kept):
        combo = bases_of(s, p)
        klass = saenger(s, p)
        sang = "%d-%s" % (SAENGER_NUMBER[klass], klass) if klass else "n/a"
        lines.append("%4d %-14s %-14s %s-%s %-11s %-9s %s  %s%s-%s" % (
            i + 1, dssr_nt(s, p.key1), dssr_nt(s, p.key2), combo[0], combo[1], dssr_name(s, p), sang,
            p.family(), p.orientation, p.edge1, p.edge2))
    lines.append("****************************************************************************")
    lines.append("List of %d helices" % max(1, len(kept) // 40))
    lines.append("  Note: a helix is defined by base-stacking interactions, regardless of bp")
    write_lines(path, lines)


CLARNA_HEADER = '"residue1","residue2","n_type","weight","description","full description"'


def write_clarna(structure, pairs, path):
    s = structure
    orient = {"c": "cis", "t": "trans"}
    rows = []
    for p in pairs:
        if not p.is_whs() or p.key1[1] != " " or p.key2[1] != " ":
            continue  # residue fields carry no insertion code
        weight = 0.55 + (zlib.crc32(("%s%d%d" % (s.pdb_id, p.key1[0], p.key2[0])).encode()) % 4500) / 10000.0
        desc = "%s%s_%s" % (p.edge1, p.edge2, orient[p.orientation])
        rows.append((p.key1, p.key2, weight, desc))
    for k1, k2 in s.stacked_neighbours():
        if k1[1] == " " and k2[1] == " ":
            rows.append((k1, k2, 0.9, ">>"))
    lines = ["# ClaRNA-style contact list of %s chain %s" % (s.pdb_id, s.chain), CLARNA_HEADER]
    for k1, k2, weight, desc in sorted(rows):
        combo = s.residue(k1).base + s.residue(k2).base
        lines.append('"%s%d","%s%d","%s",%.4f,"%s","%s_%s"' % (
            s.chain, k1[0], s.chain, k2[0], combo, weight, desc, desc, combo))
    write_lines(path, lines)


def write_annotations(structure, folder, near=frozenset()):
    base = os.path.join(folder, structure.pdb_id)
    a = structure.annotations
    write_mc_annotate(structure, a["mca"], base + ".mca.out")
    write_rnaview(structure, a["rv"], base + ".rv.out")
    write_fr3d(structure, a["fr3d"], base + ".fr3d.out", near)
    write_dssr(structure, a["dssr"], base + ".dssr.out")
    write_clarna(structure, a["cr"], base + ".cr.out")


def write_fasta(structures, path, extra_title):
    lines = []
    for s in structures:
        lines.append(">%s_%s mol:na length:%d  %s" % (s.pdb_id.lower(), s.chain, len(s.residues), extra_title(s)))
        lines.append(s.sequence())
    write_lines(path, lines)


def write_structure(structure, folder, near=frozenset()):
    structure.quality.settle(atom_count(structure))
    write_pdb(structure, os.path.join(folder, structure.pdb_id + ".pdb"))
    write_annotations(structure, folder, near)


# ------------------------------------------------------------- the example

EXAMPLE_REFERENCE = ("1EXR", "A")
EXAMPLE_TARGET = ("2EXT", "A")
# Hairpin: stem 1-6/31-36, tandem sheared G.A pairs 7-30 and 8-29, stem
# 9-16/21-28 with a G.U wobble (12-25), GAAA loop closed by sheared G17.A20.
EXAMPLE_SEQUENCE = "GGCACUGACCGGCAGCGAAAGCUGUCGGGAAGUGCC"
EXAMPLE_PAIRS = [(i, 37 - i, "cWW") for i in range(1, 7)] + [(7, 30, "tSH"), (8, 29, "tHS")] + \
    [(i, 37 - i, "cWW") for i in range(9, 17)] + [(17, 20, "tSH")]
EXAMPLE_DELETED = 8
EXAMPLE_SUBSTITUTIONS = {2: "A", 4: "G", 33: "C", 13: "U"}
EXAMPLE_MOVED = 29  # the residue opposite the deletion, pushed out of the helix
EXAMPLE_NEW_PAIR = (7, 29, "cWH")  # reference numbering
# Target pairs each tool misses (reference numbering) and pairs it types
# differently from the reference.
EXAMPLE_MISSED = {"mca": [(3, 34), (17, 20)], "rv": [(5, 32), (7, 30)], "fr3d": [(14, 23)],
                  "dssr": [(10, 27), (16, 21)], "cr": [(12, 25), (9, 28)]}
EXAMPLE_RETYPED = {"fr3d": {(17, 20): "tHS"}}
# Broken in the target (A.C after the substitution): no tool reports it.
EXAMPLE_BROKEN = [(2, 35)]


def example_frames():
    """Residue number -> frame: strand I holds 1-17 at levels 0-16, strand II
    holds 18-36 at levels 18 down to 0."""
    frames = {}
    for n in range(1, 19):
        frames[n] = helix_frame(n - 1)
        frames[37 - n] = helix_frame(n - 1).flipped()
    frames[18] = helix_frame(18).flipped()  # A18 stacks on A19 on the 3' side of the loop
    return frames


def new_structure(pdb_id, chain, title, quality):
    s = Structure(pdb_id, chain, title)
    s.quality = quality
    return s


def add_waters(structure, count, seed):
    """Waters on a shell 13-16 A from the helix axis, and one magnesium ion."""
    rng = random.Random(seed)
    for _ in range(count):
        angle, radius = rng.uniform(0, 2 * math.pi), rng.uniform(13.0, 16.0)
        p = (radius * math.cos(angle), radius * math.sin(angle), rng.uniform(0, 48))
        structure.hetero.append(("HOH", "O", "O", p))
    structure.hetero.append((" MG", "MG", "MG", (0.0, 14.5, 24.0)))


def settle_clashes(structure, pairs):
    for p in pairs:
        a, b = structure.residue(p.key1), structure.residue(p.key2)
        b.frame = widen_if_clashing(a.base, a.frame, b.base, b.frame)


def build_example_reference():
    s = new_structure(*EXAMPLE_REFERENCE, "SYNTHETIC RNA HAIRPIN, EXAMPLE REFERENCE",
                      Quality(2.05, 0.231, 97.6, 98.9, 0.24))
    frames = example_frames()
    for n, base in enumerate(EXAMPLE_SEQUENCE, start=1):
        s.residues.append(Residue(n, base, frames[n]))
    s.residues[0].has_phosphate = False
    s.index()
    s.pairs = [Pair((i, " "), (j, " "), *parse_family(f)) for i, j, f in EXAMPLE_PAIRS]
    settle_clashes(s, s.pairs)
    add_waters(s, 12, 11)
    for tool in TOOLS:
        s.annotations[tool] = list(s.pairs)
    return s


def example_target_number(ref_number):
    return ref_number if ref_number < EXAMPLE_DELETED else ref_number - 1


def example_moved_offset(ref):
    """Pushes the residue opposite the deletion 2.0 A away from the helix
    axis: every distance the geometric test uses then changes by well over
    the tolerance."""
    c1 = ref.residue((EXAMPLE_MOVED, " ")).atom("C1'")
    return vmul(vunit((c1[0], c1[1], 0.0)), 2.0)


def build_example_target(ref):
    t = new_structure(*EXAMPLE_TARGET, "SYNTHETIC RNA HAIRPIN, EXAMPLE TARGET",
                      Quality(2.45, 0.262, 95.1, 96.0, 0.29))
    for r in ref.residues:
        if r.number == EXAMPLE_DELETED:
            continue
        moved = Residue(example_target_number(r.number), EXAMPLE_SUBSTITUTIONS.get(r.number, r.base), r.frame)
        moved.has_phosphate = r.has_phosphate
        if r.number == EXAMPLE_MOVED:
            moved.offset = example_moved_offset(ref)
        t.residues.append(moved)
    t.index()
    t.jitter_seed = 20261206
    ref_pairs = [(i, j, f) for i, j, f in EXAMPLE_PAIRS
                 if EXAMPLE_DELETED not in (i, j) and (i, j) not in EXAMPLE_BROKEN]
    ref_pairs.append(EXAMPLE_NEW_PAIR)
    add_waters(t, 9, 12)
    for tool in TOOLS:
        chosen = []
        for i, j, family in ref_pairs:
            if (i, j) in EXAMPLE_MISSED.get(tool, []):
                continue
            family = EXAMPLE_RETYPED.get(tool, {}).get((i, j), family)
            chosen.append(Pair((example_target_number(i), " "), (example_target_number(j), " "),
                               *parse_family(family)))
        t.annotations[tool] = chosen
    t.pairs = t.annotations["mca"]
    return t


def write_example(folder):
    os.makedirs(folder, exist_ok=True)
    ref = build_example_reference()
    tgt = build_example_target(ref)
    for s in (ref, tgt):
        write_structure(s, folder)
    titles = {ref.pdb_id: "EXAMPLE REFERENCE HAIRPIN", tgt.pdb_id: "EXAMPLE TARGET HAIRPIN"}
    write_fasta([ref, tgt], os.path.join(folder, "pdb_seqres.na.fa"), lambda s: titles[s.pdb_id])
    write_alignment(ref, tgt, [(n, example_target_number(n)) for n in range(1, 37) if n != EXAMPLE_DELETED],
                    os.path.join(folder, "%s_%s_%s_%s.aln" % (ref.pdb_id, ref.chain, tgt.pdb_id, tgt.chain)))
    return [ref, tgt]


def write_alignment(ref, tgt, correspondence, path):
    lines = ["Structure superposition of %s chain %s (%d nt) onto %s chain %s (%d nt)" % (
        ref.pdb_id, ref.chain, len(ref.residues), tgt.pdb_id, tgt.chain, len(tgt.residues)),
        "Aligned residues = %d" % len(correspondence), ""]
    tokens = ["%s:%d<->%s:%d" % (ref.chain, a, tgt.chain, b) for a, b in correspondence]
    for i in range(0, len(tokens), 6):
        lines.append(" ".join(tokens[i:i + 6]))
    write_lines(path, lines)


# ------------------------------------------------------ benchmark molecules

# Built-in motif strands of 2B9N chain A, each given as helices of pairs
# (strand-I residues against strand-II residues, one family per level) and
# extra pairs that tie single residues of the motif in.
MOTIF_HELICES = [
    ([25, 26, 27, 28], [515, 514, 513, 512], ["cWW", "cWW", "tSH", "tHS"], [(582, 26, "tSS")]),
    ([81, 82, 83, 84, 85], [105, 104, 103, 102, 101], ["cWW"] * 5, [(98, 83, "tHS")]),
    ([1234, 1235, 1236, 1237, 1238], [1215, 1214, 1213, 1212, 1211], ["cWW", "cWW", "tSH", "cWW", "cWW"],
     [(1209, 1236, "tSH")]),
    ([973, 974, 975, 976, 977], [1005, 1004, 1003, 1002, 1001], ["cWW"] * 5, [(1154, 1001, "tHS")]),
    ([239, 240, 241, 242, 243, 244], [258, 257, 256, 255, 254, 253], ["cWW", "tHS", "tSH", "cWW", "tWH", "cWW"],
     []),
    ([189, 190, 191, 192], [207, 206, 205, 204], ["cWW", "cWW", "tSH", "cWW"], [(203, 191, "tHS")]),
    ([456, 457, 458, 459], [472, 471, 470, 469], ["cWW", "tHS", "cWW", "cWW"], [(460, 470, "tWH")]),
    ([2653, 2654, 2655, 2656], [2667, 2666, 2665, 2664], ["cWW", "tSH", "cWW", "cWW"], [(2657, 2665, "tHS")]),
    ([1266, 1267], [2013, 2012], ["cWW", "cWW"], [(1268, 2012, "tSH")]),
    ([908, 909, 910, 911, 912, 913], [869, 868, 867, 866, 865, 864], ["cWW"] * 6, [(863, 910, "tWH")]),
    ([1319, 1320, 1321, 1322], [1333, 1332, 1331, 1330], ["cWW"] * 4, [(1323, 1331, "tWH")]),
    ([2679, 2680, 2681, 2682, 2683], [2728, 2727, 2726, 2725, 2724], ["cWW"] * 5, [(2684, 2726, "tWH")]),
    ([1425, 1426, 1427], [1573, 1572, 1571], ["cWW"] * 3, []),
    ([1028, 1029, 1030], [1127, 1126, 1125], ["cWW"] * 3, [(1124, 2488, "cSS"), (2488, 1029, "tHS")]),
]
MOTIF_STRANDS = [(25, 28), (582, 582), (512, 515), (81, 85), (97, 105), (1234, 1238), (1208, 1215),
                 (1001, 1001), (977, 977), (1154, 1154), (240, 244), (254, 257), (203, 207), (189, 192),
                 (456, 460), (469, 472), (2653, 2657), (2664, 2667), (1266, 1268), (2012, 2013),
                 (908, 913), (863, 869), (1330, 1333), (1319, 1324), (2724, 2728), (2679, 2685),
                 (1425, 1427), (1571, 1573), (1124, 1127), (2488, 2488), (1028, 1030), (239, 243), (256, 258)]
FULL_LENGTH = 2904
WC_CHOICES = ["GC"] * 7 + ["CG"] * 7 + ["AU"] * 2 + ["UA"] * 2 + ["GU", "UG"]
TERTIARY_FAMILIES = ["tSH", "tHS", "tWH", "tHW", "cSS", "tSS", "cWS", "cSW", "tWS", "tSW", "cHS", "cSH",
                     "tWW", "cWH", "cHW", "tHH", "cWW"]
OTHER_CONTACTS = [("O2'", "W"), ("W", "O2P"), ("Bs", "S"), ("H", "O2'")]
COLUMN_SPACING = (26.0, 26.0, 70.0)


class Layout:
    """Hands out helix columns on a lattice so that columns never overlap."""

    def __init__(self):
        self.count = 0

    def column(self):
        i = self.count
        self.count += 1
        side = 12
        cell = (i % side, (i // side) % side, i // (side * side))
        return tuple(cell[k] * COLUMN_SPACING[k] for k in range(3))


def column_frame(origin, level, strand):
    f = helix_frame(level)
    f = Frame(f.rot, vadd(f.origin, origin))
    return f if strand == 1 else f.flipped()


def pair_bases(rng, family):
    if family == "cWW":
        return rng.choice(WC_CHOICES)
    if family in ("tSH", "tHS"):
        return "GA" if family == "tSH" else "AG"
    return rng.choice("ACGU") + rng.choice("ACGU")


class Ancestor:
    """Residue frames, bases and true pairs of the common ancestor."""

    def __init__(self):
        self.base = {}
        self.frame = {}
        self.pairs = []  # (i, j, family, is_motif)
        self.column_of = {}

    def put(self, number, base, frame, column):
        self.base[number] = base
        self.frame[number] = frame
        self.column_of[number] = column


def place_helix(anc, layout, rng, strand1, strand2, families, motif):
    origin = layout.column()
    for level, (i, j, fam) in enumerate(zip(strand1, strand2, families)):
        b = pair_bases(rng, fam)
        first = column_frame(origin, level, 1)
        anc.put(i, b[0], first, origin)
        anc.put(j, b[1], widen_if_clashing(b[0], first, b[1], column_frame(origin, level, 2)), origin)
        anc.pairs.append((i, j, fam, motif))
    return origin, len(strand1)


def place_single(anc, rng, number, origin, level, strand, base=None):
    anc.put(number, base or rng.choice("AAGCU"), column_frame(origin, level, strand), origin)


def build_motif_helices(anc, layout, rng, numbers):
    for strand1, strand2, families, extras in MOTIF_HELICES:
        origin, top = place_helix(anc, layout, rng, strand1, strand2, families, True)
        level = top
        for a, b, fam in extras:
            for n in (a, b):
                if n not in anc.base and n in numbers:
                    place_single(anc, rng, n, origin, level, 1 + level % 2, "G" if fam in ("tSH",) else None)
                    level += 1
            if a in anc.base and b in anc.base:
                anc.pairs.append((a, b, fam, True))


def free_runs(numbers, taken):
    run = []
    for n in numbers:
        if n in taken or (run and n != run[-1] + 1):
            if run:
                yield run
            run = [] if n in taken else [n]
        else:
            run.append(n)
    if run:
        yield run


def fill_with_hairpins(anc, layout, rng, run):
    """Tiles a run of free residues with hairpins: linker, stem, loop, stem."""
    pos = 0
    while pos < len(run):
        stem, loop, linker = rng.randint(4, 8), rng.randint(4, 7), rng.randint(1, 3)
        need = linker + 2 * stem + loop
        if len(run) - pos < need:
            origin = layout.column()
            for level, n in enumerate(run[pos:]):
                place_single(anc, rng, n, origin, level, 1)
            return
        seg = run[pos:pos + need]
        s1 = seg[linker:linker + stem]
        s2 = seg[linker + stem + loop:][::-1]
        origin, top = place_helix(anc, layout, rng, s1, s2, ["cWW"] * stem, False)
        for k, n in enumerate(seg[:linker]):
            place_single(anc, rng, n, origin, -1 - k, 1)
        loop_res = seg[linker + stem:linker + stem + loop]
        half = (loop + 1) // 2
        for k, n in enumerate(loop_res[:half]):
            place_single(anc, rng, n, origin, top + k, 1)
        for k, n in enumerate(loop_res[half:][::-1]):
            place_single(anc, rng, n, origin, top + k, 2)
        pos += need


def add_tertiary_pairs(anc, rng, wanted):
    """Pairs between residues at least three apart in the chain whose C1'
    atoms are 6 to 16 A apart (20 A when that leaves too few candidates), at
    most three per residue, until `wanted` pairs exist."""
    c1 = {n: anc.frame[n].apply((C1_POSITION[anc.base[n]][0], C1_POSITION[anc.base[n]][1], 0.0))
          for n in anc.base}
    existing = {(i, j) for i, j, _, _ in anc.pairs} | {(j, i) for i, j, _, _ in anc.pairs}
    need = wanted - len(anc.pairs)
    for reach in (16.0, 20.0):
        candidates = near_residue_pairs(c1, reach, existing)
        if len(candidates) >= 2 * need:
            break
    rng.shuffle(candidates)
    used = {}
    for n, m in candidates:
        if len(anc.pairs) >= wanted:
            break
        if used.get(n, 0) >= 3 or used.get(m, 0) >= 3:
            continue
        used[n] = used.get(n, 0) + 1
        used[m] = used.get(m, 0) + 1
        if rng.random() < 0.04:
            anc.pairs.append((n, m, rng.choice(OTHER_CONTACTS), False))
        else:
            anc.pairs.append((n, m, rng.choice(TERTIARY_FAMILIES), False))


def near_residue_pairs(c1, reach, existing):
    """(n, m), n < m - 2, with C1' atoms 6 A to `reach` apart, in a fixed order."""
    def cell_of(p):
        return tuple(int(math.floor(x / reach)) for x in p)
    grid = {}
    for n, p in c1.items():
        grid.setdefault(cell_of(p), []).append(n)
    out = []
    for n in sorted(c1):
        cx, cy, cz = cell_of(c1[n])
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                for dz in (-1, 0, 1):
                    for m in grid.get((cx + dx, cy + dy, cz + dz), ()):
                        if m > n + 2 and (n, m) not in existing and 6.0 <= distance(c1[n], c1[m]) <= reach:
                            out.append((n, m))
    out.sort()
    return out


def motif_window_numbers():
    keep = set()
    for a, b in MOTIF_STRANDS:
        keep.update(range(max(1, a - 6), b + 7))
    for strand1, strand2, _, extras in MOTIF_HELICES:
        keep.update(strand1 + strand2)
        for a, b, _ in extras:
            keep.update((a, b))
    return sorted(keep)


def build_ancestor(numbers, wanted_pairs, seed, motifs=True):
    rng = random.Random(seed)
    anc = Ancestor()
    layout = Layout()
    present = set(numbers)
    if motifs:
        build_motif_helices(anc, layout, rng, present)
    for run in free_runs(numbers, set(anc.base)):
        fill_with_hairpins(anc, layout, rng, run)
    add_tertiary_pairs(anc, rng, wanted_pairs)
    return anc


class VariantPlan:
    """How one structure departs from the ancestor (rates per residue)."""

    def __init__(self, pdb_id, chain, quality, substitutions, deletions, insertions, moves, motif_safe=False):
        self.pdb_id, self.chain, self.quality = pdb_id, chain, quality
        self.substitutions, self.deletions, self.insertions, self.moves = substitutions, deletions, insertions, moves
        self.motif_safe = motif_safe


# Per-tool share of true pairs the tool does not report.
TOOL_MISS = {"mca": 0.03, "rv": 0.07, "fr3d": 0.04, "dssr": 0.05, "cr": 0.09}


def motif_residues():
    out = set()
    for a, b in MOTIF_STRANDS:
        out.update(range(a, b + 1))
    return out


def random_move(rng):
    d = vunit((rng.uniform(-1, 1), rng.uniform(-1, 1), rng.uniform(-1, 1)))
    return vmul(d, rng.uniform(2.5, 3.5))


def build_variant(anc, plan):
    rng = random.Random(zlib.crc32(("variant:" + plan.pdb_id).encode()))
    s = new_structure(plan.pdb_id, plan.chain, "SYNTHETIC 23S-LIKE RIBOSOMAL RNA, VARIANT %s" % plan.pdb_id,
                      plan.quality)
    protected = motif_residues() if plan.motif_safe else set()
    paired_with = {}
    for i, j, fam, _ in anc.pairs:
        if fam == "cWW":
            paired_with.setdefault(i, j)
            paired_with.setdefault(j, i)
    bases = dict(anc.base)
    deleted, moved = set(), set()
    for n in sorted(anc.base):
        if n in protected:
            continue
        roll = rng.random()
        if roll < plan.substitutions:
            bases[n] = rng.choice([b for b in "ACGU" if b != bases[n]])
            partner = paired_with.get(n)
            if partner is not None and partner not in protected and rng.random() < 0.6:
                bases[partner] = {"A": "U", "C": "G", "G": "C", "U": "A"}[bases[n]]
        elif roll < plan.substitutions + plan.deletions and n not in paired_with:
            deleted.add(n)
        elif roll < plan.substitutions + plan.deletions + plan.moves:
            moved.add(n)
    for n in sorted(anc.base):
        if n in deleted:
            continue
        r = Residue(n, bases[n], anc.frame[n])
        if n in moved:
            r.offset = random_move(rng)
        s.residues.append(r)
    inserted = []
    for n in sorted(anc.base):
        if n not in deleted and n not in paired_with and n not in protected and rng.random() < plan.insertions:
            r = Residue(n, rng.choice("AG"), anc.frame[n].shifted((0.0, 6.0, 0.0)), icode="A")
            s.residues.append(r)
            inserted.append(r)
    s.index()
    s.residues[0].has_phosphate = False
    for i, j, fam, motif in anc.pairs:
        if i in deleted or j in deleted:
            continue
        if (i in moved or j in moved) and rng.random() < 0.5:
            continue
        edges = parse_family(fam) if isinstance(fam, str) else (fam[0], fam[1], "c")
        s.pairs.append((Pair((i, " "), (j, " "), *edges), motif))
    for r in inserted:
        here = r.atom("C1'")
        nearest = min((x for x in s.residues if x.number != r.number),
                      key=lambda x: distance(x.atom("C1'"), here))
        s.pairs.append((Pair(r.key, nearest.key, *parse_family(rng.choice(TERTIARY_FAMILIES))), False))
    settle_clashes(s, [p for p, _ in s.pairs if p.family() == "cWW"])
    annotate_by_tools(s, plan.motif_safe)
    return s


def annotate_by_tools(s, keep_motifs):
    for tool in TOOLS:
        rng = random.Random(zlib.crc32(("%s:%s" % (s.pdb_id, tool)).encode()))
        chosen = []
        for p, motif in s.pairs:
            if rng.random() < TOOL_MISS[tool] and not (motif and keep_motifs):
                continue
            if tool != "mca" and not p.is_whs():
                continue
            if tool in ("rv", "cr") and p.family() != "cWW" and rng.random() < 0.01:
                p = Pair(p.key1, p.key2, p.edge2, p.edge1, p.orientation)  # edges read the other way round
            chosen.append(p)
        s.annotations[tool] = chosen
    s.pairs = [p for p, _ in s.pairs]


def near_pairs(s):
    """FR3D calls a few of its non-canonical pairs near ones."""
    return frozenset(p.ident for p in s.annotations["fr3d"]
                     if p.family() != "cWW" and zlib.crc32(repr(p.ident).encode()) % 23 == 0)


# Quality records of the benchmark structures: resolution, free R,
# completeness of REMARK 3 and REMARK 200, and the DPI they give.
BENCHMARK_PLANS = [
    ("1YL4", "A", (3.10, 0.271, 96.2, 97.0, 0.36)),
    ("2B9M", "A", (3.50, 0.284, 94.8, 95.5, 0.41)),
    ("2B9N", "A", (3.50, 0.279, 95.0, 95.6, 0.39)),
    ("2VQE", "A", (2.50, 0.247, 98.1, 98.4, 0.27)),
    ("2ZJR", "X", (2.90, 0.262, 97.0, 97.2, 0.31)),
    ("3R8S", "A", (3.00, 0.268, 96.6, 96.9, 0.33)),
    ("3V2F", "A", (2.80, 0.255, 97.4, 97.9, 0.30)),
    ("4GD1", "A", (3.00, 0.259, 96.0, 96.8, 0.32)),
]
SIZES = {"small": None, "ribosome": (FULL_LENGTH, 3300)}


def benchmark_structures(size):
    if size == "small":
        numbers = motif_window_numbers()
        wanted = int(len(numbers) * 1.05)
    else:
        numbers, wanted = list(range(1, SIZES[size][0] + 1)), SIZES[size][1]
    anc = build_ancestor(numbers, wanted, seed=2904)
    out = []
    for pdb_id, chain, q in BENCHMARK_PLANS:
        anchor = pdb_id == "2B9N"
        plan = VariantPlan(pdb_id, chain, Quality(*q), substitutions=0.004 if anchor else 0.012,
                           deletions=0.0 if anchor else 0.006, insertions=0.0 if anchor else 0.004,
                           moves=0.003 if anchor else 0.01, motif_safe=anchor)
        out.append(build_variant(anc, plan))
    return out


def write_set(structures, folder, title):
    os.makedirs(folder, exist_ok=True)
    for s in structures:
        write_structure(s, folder, near_pairs(s))
    write_fasta(structures, os.path.join(folder, "pdb_seqres.na.fa"), lambda s: title)


def write_benchmark(folder, size):
    structures = benchmark_structures(size)
    write_set(structures, folder, "SYNTHETIC 23S-LIKE RRNA")
    return structures


PAIR_IDS = (("5REF", "A", (2.60, 0.248, 97.8, 98.2, 0.28)), ("5TGT", "A", (3.00, 0.266, 96.1, 96.5, 0.34)))


def write_pair(folder, residues, pairs):
    anc = build_ancestor(list(range(1, residues + 1)), int(pairs * 1.05), seed=residues, motifs=residues >= FULL_LENGTH)
    structures = []
    for k, (pdb_id, chain, q) in enumerate(PAIR_IDS):
        plan = VariantPlan(pdb_id, chain, Quality(*q), substitutions=0.004 + 0.008 * k, deletions=0.006 * k,
                           insertions=0.004 * k, moves=0.003 + 0.007 * k)
        structures.append(build_variant(anc, plan))
    write_set(structures, folder, "SYNTHETIC LARGE RRNA")
    return structures


# ------------------------------------------------------------------ CLI


def summary(structures):
    for s in structures:
        counts = " ".join("%s=%d" % (t, len(s.annotations[t])) for t in TOOLS)
        print("%s %s: %d residues, %d atoms, DPI %.3f, pairs %s" % (
            s.pdb_id, s.chain, len(s.residues), atom_count(s), s.quality.dpi(atom_count(s)), counts))


def main(argv=None):
    parser = argparse.ArgumentParser(description="Write synthetic Bexora input sets.")
    sub = parser.add_subparsers(dest="what", required=True)
    ex = sub.add_parser("example", help="the bundled hairpin example")
    ex.add_argument("outdir")
    bm = sub.add_parser("benchmark", help="the eight structures of the benchmark tables")
    bm.add_argument("outdir")
    bm.add_argument("--size", choices=sorted(SIZES), default="small")
    pr = sub.add_parser("pair", help="one large reference/target pair (5REF A, 5TGT A)")
    pr.add_argument("outdir")
    pr.add_argument("--residues", type=int, default=2900)
    pr.add_argument("--pairs", type=int, default=3000)
    args = parser.parse_args(argv)
    start = time.time()
    if args.what == "example":
        structures = write_example(args.outdir)
    elif args.what == "benchmark":
        structures = write_benchmark(args.outdir, args.size)
    else:
        if args.residues < 20 or args.pairs < 1:
            parser.error("--residues must be at least 20 and --pairs at least 1")
        structures = write_pair(args.outdir, args.residues, args.pairs)
    summary(structures)
    print("wrote %s in %.1f s" % (args.outdir, time.time() - start))
    return 0


if __name__ == "__main__":
    sys.exit(main())
