#!/usr/bin/env python3
"""Consistency of the generated inputs: every file reads under the input readers' rules, the DPI
values are as intended, and the pairs of the example end up with the designed
provenance when the set difference and the geometric test are replayed."""

import math
import os
import re
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_example as gen  # noqa: E402

TOOL_FILES = {"mca": ".mca.out", "rv": ".rv.out", "fr3d": ".fr3d.out", "dssr": ".dssr.out", "cr": ".cr.out"}


def lines_of(path):
    with open(path) as f:
        return [line.rstrip("\n") for line in f if line.strip()]


# ------------------------------------------------------------ structure file

def read_pdb(path, chain):
    """Atoms of one chain by residue key, and the DPI from the quality lines."""
    atoms, count = {}, 0
    res = free_r = comp = refl = 0.0
    seen_atom = False
    for line in lines_of(path):
        if line.startswith("ATOM"):
            seen_atom = True
            count += 1
            if line[18] == " " and line[19] in "ACGU" and line[21] == chain:
                key = (int(line[22:26]), line[26])
                atoms.setdefault(key, {"base": line[19]})[line[12:16].strip()] = (
                    float(line[30:38]), float(line[38:46]), float(line[46:54]))
        elif line.startswith("HETA"):
            count += 1
        elif not seen_atom and line.startswith("REMARK"):
            if line.startswith("REMARK   2") and line[11:22] == "RESOLUTION.":
                res = float(line[23:].split()[0])
            packed = line.replace(" ", "")
            if line.startswith("REMARK   3") and packed[7:18] == "FREERVALUE:":
                free_r = float(packed[18:])
            colon = line.find(":")
            if "COMPLETENESS" in line and colon >= 0:
                comp = max(comp, float(line[colon + 2:]) / 100.0)
            if "NUMBER OF REFLECTIONS" in line and colon >= 0:
                refl = int(line[colon + 2:])
    dpi = math.sqrt(count / refl) * free_r * res * comp ** (-1.0 / 3.0)
    return atoms, dpi


# ------------------------------------------------------------ annotations
# A pair is (key1, key2, base1, base2, edge1, edge2, orientation).

def read_mca(path, chain):
    pairs, section = [], None
    titles = ("Residue conformations", "Adjacent stackings", "Non-Adjacent stackings", "Base-pairs")
    for line in lines_of(path):
        if line.endswith("---"):
            section = next((t for t in titles if line.startswith(t)), "other")
            continue
        if section != "Base-pairs":
            continue
        m = re.match(r"([A-Za-z]+)(-?\d+)(?:\.(\w))?-([A-Za-z]+)(-?\d+)(?:\.(\w))? : (\w)-(\w) (.*)$", line)
        assert m, line
        words = m.group(9).split()
        edges = words[0].split("/")
        assert len(edges) == 2, line
        rest = words[1:]
        while rest and "adjacent" in rest[0]:
            rest = rest[1:]
        assert rest[0] == "pairing", line
        orient = ""
        if len(rest) > 1:
            assert rest[1] in ("parallel", "antiparallel") and rest[2] in ("cis", "trans"), line
            orient = rest[2][0]
        if m.group(1) == chain and m.group(4) == chain:
            pairs.append(((int(m.group(2)), m.group(3) or " "), (int(m.group(5)), m.group(6) or " "),
                          m.group(7), m.group(8), edges[0], edges[1], orient))
    return pairs


def read_rv(path, chain):
    pairs, inside = [], False
    for line in lines_of(path):
        text = line.lstrip()
        if text in ("BEGIN_base-pair", "END_base-pair"):
            inside = text == "BEGIN_base-pair"
            continue
        if not inside:
            continue
        parts = text.split(":")
        assert len(parts) == 3, line
        chain1 = parts[0].split(",")[1].strip()
        m = re.match(r"\s*(-?\d+) (\w)-(\w)\s+(-?\d+) (\S+)\s*$", parts[1])
        assert m, line
        third = parts[2]
        if "/" not in third:
            assert third.split() == ["stacked"], line
            continue
        edges, orient, remark = third.split()
        e1, e2 = edges.split("/")
        e1, e2 = ["W" if e in "+-" else e.upper() for e in (e1, e2)]
        if chain1 == chain and m.group(5) == chain:
            pairs.append(((int(m.group(1)), " "), (int(m.group(4)), " "), m.group(2), m.group(3), e1, e2,
                          "c" if orient == "cis" else "t"))
    return pairs


def fr3d_residue(unit):
    f = unit.split("|")
    return f, (int(f[4]), f[7][0] if len(f) > 7 and f[7] else " ")


def read_fr3d(path, pdb_id, chain):
    pairs = []
    for row in lines_of(path)[1:]:
        fields = row.split(",")
        assert len(fields) == 5, row
        (u1, k1), (u2, k2) = fr3d_residue(fields[0]), fr3d_residue(fields[1])
        if not fields[2]:
            continue
        family = fields[2].lstrip("n")
        assert re.fullmatch(r"[ct][WHS][WHS]", family), row
        if u1[1] == u2[1] == "1" and u1[0] == u2[0] == pdb_id and u1[2] == u2[2] == chain and k1[0] <= k2[0]:
            pairs.append((k1, k2, u1[3][0], u2[3][0], family[1], family[2], family[0]))
    return pairs


def read_dssr(path, chain):
    pairs, started = [], False
    for line in lines_of(path):
        text = line.lstrip()
        if not started:
            started = text == gen.DSSR_HEADER
            continue
        if text.startswith("*"):
            break
        f = text.split()
        assert len(f) == 8, line
        keys = []
        for nt in f[1:3]:
            c, rest = nt.split(".")
            icode = " "
            if len(rest) > 2 and rest[-2] == "^":
                icode, rest = rest[-1], rest[:-2]
            keys.append((c, rest[0], (int(rest[1:]), icode)))
        lw = f[6]
        if keys[0][0] == keys[1][0] == chain and lw[1] in "WHS" and lw[2] in "WHS":
            pairs.append((keys[0][2], keys[1][2], keys[0][1], keys[1][1], lw[1], lw[2], lw[0]))
    assert started, path
    return pairs


def read_cr(path, chain):
    pairs, started = [], False
    for line in lines_of(path):
        if not started:
            started = line == gen.CLARNA_HEADER
            continue
        f = re.split(r"[, ]+", line)
        assert len(f) == 6 and all(x.startswith('"') and x.endswith('"') for x in f[:3] + f[4:]), line
        float(f[3])
        k1, k2 = int(f[0][1 + len(chain):-1]), int(f[1][1 + len(chain):-1])
        desc = f[4]
        if desc[1] in "<>" or k2 < k1 or not f[0][1:].startswith(chain) or not f[1][1:].startswith(chain):
            continue
        assert desc[1] in "WHS" and desc[2] in "WHS" and desc[4] in "ct", line
        pairs.append(((k1, " "), (k2, " "), f[2][1], f[2][2], desc[1], desc[2], desc[4]))
    assert started, path
    return pairs


def read_tool(tool, folder, pdb_id, chain):
    path = os.path.join(folder, pdb_id + TOOL_FILES[tool])
    if tool in ("fr3d",):
        return read_fr3d(path, pdb_id, chain)
    return {"mca": read_mca, "rv": read_rv, "dssr": read_dssr, "cr": read_cr}[tool](path, chain)


def read_aln(path):
    pairs = []
    with open(path) as f:
        text = f.read()
    for token in text.split():
        if "<->" in token:
            a, b = token.split("<->")
            pairs.append(((int(a.split(":")[1]), " "), (int(b.split(":")[1]), " ")))
    return dict(pairs)


# ------------------------------------------------------ replayed pipeline

EDGE_ATOMS = {
    ("W", "A"): (["N6", "C2"], ["N1"]), ("W", "G"): (["N1", "N2"], ["O6"]),
    ("W", "C"): (["N4"], ["O2", "N3"]), ("W", "U"): (["N3"], ["O2", "O4"]),
    ("H", "A"): (["N6", "C8"], ["N7"]), ("H", "G"): (["C8"], ["O6", "N7"]),
    ("H", "C"): (["N4", "C5", "C6"], []), ("H", "U"): (["C5"], ["O4"]),
    ("S", "A"): (["C2", "O2'"], ["N3", "N1"]), ("S", "G"): (["N2", "O2'"], ["N3"]),
    ("S", "C"): (["O2'"], ["O2"]), ("S", "U"): (["O2'"], ["O2"]),
}


def edge_atoms(edge, base):
    return EDGE_ATOMS[(edge[0].upper() if edge[0] in "WHSwhs" else "W", base)]


def identity(p):
    return (p[0], p[1])


def same_type(a, b):
    wc = lambda e: "W" if e[0] in "W+-" else e[0]  # noqa: E731
    return a[2:4] == b[2:4] and wc(a[4]) == wc(b[4]) and wc(a[5]) == wc(b[5]) and a[6] == b[6]


def carry(pair, mapping, bases):
    k1, k2 = mapping.get(pair[0]), mapping.get(pair[1])
    if k1 is None or k2 is None:
        return None
    return (k1, k2, bases[k1], bases[k2]) + pair[4:]


def contacts(atoms, pair):
    """The two shortest donor-acceptor contacts that share no atom."""
    sets = [edge_atoms(pair[4], pair[2]), edge_atoms(pair[5], pair[3])]
    found = [atoms[pair[0]], atoms[pair[1]]]
    cand = []
    for d in (0, 1):
        for donor in sets[d][0]:
            for acc in sets[1 - d][1]:
                cand.append((gen.distance(found[d][donor], found[1 - d][acc]), d, donor, acc))
    cand.sort()
    taken = []
    for c in cand:
        if all(not (c[1] == t[1] and (c[2] == t[2] or c[3] == t[3])) for t in taken):
            taken.append(c)
        if len(taken) == 2:
            break
    return taken


def symmetric(tol, taken, ref_atoms, ref_pair, tgt_pair, agree):
    ref_sets = [edge_atoms(ref_pair[4], ref_pair[2]), edge_atoms(ref_pair[5], ref_pair[3])]
    for swapped in (False, True):
        if (ref_pair[2:4] if not swapped else ref_pair[3:1:-1]) != tgt_pair[2:4]:
            continue
        ok = True
        for d_tgt, donor_res, donor, acc in taken:
            rd = 1 - donor_res if swapped else donor_res
            if donor not in ref_sets[rd][0] or acc not in ref_sets[1 - rd][1]:
                continue
            d_ref = gen.distance(ref_atoms[ref_pair[rd]][donor], ref_atoms[ref_pair[1 - rd]][acc])
            diff = abs(d_ref - d_tgt)
            if (agree and diff > tol) or (not agree and diff < tol):
                ok = False
                break
        if ok:
            return True
    return False


def geometry_passes(tol, ref_atoms, tgt_atoms, ref_pair, tgt_pair, agree):
    def span(atoms, p, name):
        return gen.distance(atoms[p[0]][name], atoms[p[1]][name])
    diffs = [span(tgt_atoms, tgt_pair, n) - span(ref_atoms, ref_pair, n) for n in ("C1'", "C2", "C5")]
    within = all(abs(d) <= tol for d in diffs) if agree else all(abs(d) >= tol for d in diffs)
    return within and symmetric(tol, contacts(tgt_atoms, tgt_pair), ref_atoms, ref_pair, tgt_pair, agree)


def enhanced(ref_pairs, tgt_pairs, ref_atoms, tgt_atoms, forward, tol):
    """(target pair identity, source) of the enhanced annotation: 2 common,
    1 carried over, 0 the tool's own; a target pair on the residues of a
    carried pair of another type stays as the tool's own."""
    backward = {v: k for k, v in forward.items()}
    tgt_bases = {k: v["base"] for k, v in tgt_atoms.items()}
    ref_bases = {k: v["base"] for k, v in ref_atoms.items()}
    out = []
    carried = {}
    for r in ref_pairs:
        c = carry(r, forward, tgt_bases)
        if c is not None:
            carried.setdefault(identity(c), []).append((r, c))
    for t in tgt_pairs:
        if any(same_type(c, t) for _, c in carried.get(identity(t), [])):
            out.append((identity(t), 2))
        elif identity(t) in carried:
            out.append((identity(t), 0))
        else:
            b = carry(t, backward, ref_bases)
            if b is None or geometry_passes(tol, ref_atoms, tgt_atoms, b, t, False):
                out.append((identity(t), 0))
    for key, group in carried.items():
        for r, c in group:
            if not any(same_type(c, t) for t in tgt_pairs if identity(t) == key) and \
                    geometry_passes(tol, ref_atoms, tgt_atoms, r, c, True):
                out.append((key, 1))
    return sorted(out)


# ------------------------------------------------------------------ tests

class ExampleTest(unittest.TestCase):
    ref_id, ref_chain = gen.EXAMPLE_REFERENCE
    tgt_id, tgt_chain = gen.EXAMPLE_TARGET

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        gen.write_example(cls.tmp.name)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_atom_lines_keep_the_columns_and_dpi_is_as_designed(self):
        for pdb_id, chain, low, high in ((self.ref_id, self.ref_chain, 0.2, 0.26), (self.tgt_id, self.tgt_chain, 0.26, 0.3)):
            path = os.path.join(self.tmp.name, pdb_id + ".pdb")
            for line in lines_of(path):
                if line.startswith("ATOM"):
                    self.assertTrue(line[17:20].strip() in "ACGU" and line[17:19] == "  " and len(line) == 78, line)
                    self.assertEqual((line[16], line[20], line[21], line[26]), (" ", " ", chain, " "), line)
            atoms, dpi = read_pdb(path, chain)
            self.assertTrue(low <= dpi <= high, (pdb_id, dpi))
            for key, names in atoms.items():
                wanted = {n for n, _ in gen.TEMPLATES[names["base"]]} - ({"P", "OP1", "OP2"} if key[0] == 1 else set())
                self.assertEqual(set(names) - {"base"}, wanted, key)

    def test_tools_agree_with_the_design(self):
        for tool in TOOL_FILES:
            ref = read_tool(tool, self.tmp.name, self.ref_id, self.ref_chain)
            tgt = read_tool(tool, self.tmp.name, self.tgt_id, self.tgt_chain)
            self.assertEqual(len(ref), len(gen.EXAMPLE_PAIRS), tool)
            missed = len(gen.EXAMPLE_MISSED[tool])
            self.assertEqual(len(tgt), len(gen.EXAMPLE_PAIRS) - 2 - missed + 1, tool)

    def test_each_tool_shows_all_three_provenances(self):
        t = gen.example_target_number
        aln = read_aln(os.path.join(self.tmp.name, "%s_%s_%s_%s.aln" % (
            self.ref_id, self.ref_chain, self.tgt_id, self.tgt_chain)))
        self.assertEqual(aln, {(n, " "): (t(n), " ") for n in range(1, 37) if n != gen.EXAMPLE_DELETED})
        ref_atoms, ref_dpi = read_pdb(os.path.join(self.tmp.name, self.ref_id + ".pdb"), self.ref_chain)
        tgt_atoms, tgt_dpi = read_pdb(os.path.join(self.tmp.name, self.tgt_id + ".pdb"), self.tgt_chain)
        tol = (ref_dpi + tgt_dpi) * math.sqrt(2.0)
        new_pair = ((t(gen.EXAMPLE_NEW_PAIR[0]), " "), (t(gen.EXAMPLE_NEW_PAIR[1]), " "))
        for tool in TOOL_FILES:
            ref = read_tool(tool, self.tmp.name, self.ref_id, self.ref_chain)
            tgt = read_tool(tool, self.tmp.name, self.tgt_id, self.tgt_chain)
            got = enhanced(ref, tgt, ref_atoms, tgt_atoms, aln, tol)
            carried = [((t(i), " "), (t(j), " ")) for i, j in gen.EXAMPLE_MISSED[tool]]
            retyped = [((t(i), " "), (t(j), " ")) for i, j in gen.EXAMPLE_RETYPED.get(tool, {})]
            own = sorted([new_pair] + retyped)
            both = sorted(identity(p) for p in tgt if identity(p) not in own)
            want = sorted([(k, 2) for k in both] + [(k, 1) for k in carried + retyped] + [(k, 0) for k in own])
            self.assertEqual(got, want, tool)


class BenchmarkSetTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.structures = gen.write_benchmark(cls.tmp.name, "small")

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_every_structure_has_all_inputs_that_read(self):
        fasta = lines_of(os.path.join(self.tmp.name, "pdb_seqres.na.fa"))
        for pdb_id, chain, _ in gen.BENCHMARK_PLANS:
            atoms, dpi = read_pdb(os.path.join(self.tmp.name, pdb_id + ".pdb"), chain)
            self.assertTrue(0.25 <= dpi <= 0.45, (pdb_id, dpi))
            header = ">%s_%s mol:na length:%d" % (pdb_id.lower(), chain, len(atoms))
            self.assertTrue(any(line.startswith(header) for line in fasta), header)
            for tool in TOOL_FILES:
                pairs = read_tool(tool, self.tmp.name, pdb_id, chain)
                self.assertGreater(len(pairs), 100, (pdb_id, tool))
                self.assertTrue(all(p[0] in atoms and p[1] in atoms for p in pairs), (pdb_id, tool))

    def test_motifs_of_2b9n_hold_pairs_for_every_tool(self):
        for tool in TOOL_FILES:
            pairs = read_tool(tool, self.tmp.name, "2B9N", "A")
            for strand1, strand2, _, _ in gen.MOTIF_HELICES:
                inside = [p for p in pairs if p[0][0] in strand1 + strand2 and p[1][0] in strand1 + strand2]
                self.assertGreaterEqual(len(inside), 2, (tool, strand1))

    def test_homologues_share_most_pairs(self):
        ref = {identity(p) for p in read_tool("mca", self.tmp.name, "2B9N", "A")}
        tgt = {identity(p) for p in read_tool("mca", self.tmp.name, "3V2F", "A")}
        self.assertGreater(len(ref & tgt), 0.8 * len(ref))
        self.assertTrue(ref - tgt and tgt - ref)


if __name__ == "__main__":
    unittest.main()
