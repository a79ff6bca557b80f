#!/usr/bin/env python3
"""Quality benchmark of bexora on real homologous RNA chains.

For three families of homologs (tRNA-Phe: 1EHZ, 6TNA, 1TRA, 1EVV; ydaO
riboswitch: 4QLN, 4QLM, 4QK8; the two copies A and B of 1GID) it runs the
bexora binary on every ordered (reference, target) pair with RNAView and FR3D
and measures, per family and tool, summed over the family's ordered pairs:

  own         the tool's own pairs in the target (from a self run, the chain
              as its own reference)
  lost        own pairs missing from the written enhanced annotation
  carried     pairs written as carried over from the reference only
  confirmed   carried pairs that the other tool finds in the target itself
  no_contact  carried pairs whose two residues have no N/O base atom or O2'
              within 4.0 A of each other in the target's atoms
  no_base_contact  the same without the O2' atoms (base N/O atoms only)
  restored    drop-out test: the target's own pairs are split into folds;
              each fold is removed from a copy of the target's annotation
              (under a pseudo PDB id) and the run with the homolog as
              reference counts how many removed pairs come back

A pair is identified by its two residues (chain, number, insertion code),
whatever its annotation.  For diagnosis, the evidence file's decisions on the
carried pairs (reference-inferable), on the own pairs checked against the
reference (target-inferable) and on the drop-out pairs that did not come back
are totalled per family and tool.

Run from anywhere (paths default to the repository of this script):

  python3 bench/quality_benchmark.py [--bexora build/bexora]
      [--realdata ../shared/realdata] [--folds 5] [--alignments DIR]
      [-- extra bexora options]

--alignments names a folder of REF_RC_TGT_TC.aln residue correspondences
(../shared/realdata/usalign holds some); without it bexora aligns sequences.

Options after "--" are added to every run with a homolog as reference (the
comparison and drop-out runs), not to the self runs that give the own pairs.
Nothing under the data folder is changed; every run works in a temporary
folder.
"""

import argparse
import collections
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile

REPO_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

FAMILIES = [
    ("tRNA-Phe", [("1EHZ", "A"), ("6TNA", "A"), ("1TRA", "A"), ("1EVV", "A")]),
    ("ydaO", [("4QLN", "A"), ("4QLM", "A"), ("4QK8", "A")]),
    ("1GID", [("1GID", "A"), ("1GID", "B")]),
]

# Tool code for -M, suffix of its input and output files, its own tag in the
# provenance file.
TOOLS = [("RV", "rv", "RNAView"), ("FR", "fr3d", "FR3D")]
CARRIED_TAG = "Bexora"
NOT_RESTORED = "not-restored"
EVIDENCE_GROUPS = {"reference-inferable": "carried", "target-inferable": "own checked"}
REASON_GROUPS = {**EVIDENCE_GROUPS, NOT_RESTORED: "drop-out pairs not restored"}
BASE_OPTIONS = ["-M", "RV,FR", "--modified", "--unknown-dpi", "0.25"]

CONTACT_CUTOFF = 4.0
BACKBONE_AND_SUGAR = {
    "P", "OP1", "OP2", "OP3", "O1P", "O2P", "O3P",
    "O5'", "C5'", "C4'", "O4'", "C3'", "O3'", "C2'", "C1'",
}
BACKBONE_AND_SUGAR |= {name.replace("'", "*") for name in BACKBONE_AND_SUGAR}
RIBOSE_O2 = {"O2'", "O2*"}

# A residue of the compact output: a one-letter chain, or a quoted chain,
# then the number and an optional ".X" insertion code.
COMPACT_RESIDUE = r"(?:'([^']+)'|([A-Za-z]))(-?\d+)(?:\.(\S))?"
COMPACT_PAIR = re.compile(r"^" + COMPACT_RESIDUE + "-" + COMPACT_RESIDUE + r" :")


# ---------------------------------------------------------------- pairs

def residue_pair(first, second):
    """Unordered pair of residues, each (chain, number, insertion code)."""
    return tuple(sorted((first, second)))


def parse_compact_line(line):
    """Residue pair of one compact annotation line, or None."""
    match = COMPACT_PAIR.match(line)
    if not match:
        return None
    c1q, c1, n1, i1, c2q, c2, n2, i2 = match.groups()
    return residue_pair((c1q or c1, int(n1), i1 or ""), (c2q or c2, int(n2), i2 or ""))


def read_written_pairs(output_dir, target_id, chain, suffix):
    """Pairs of the written annotation, in file order, with their provenance tags.

    Returns (pairs in order, tags by line as (pair, tag))."""
    stem = f"{target_id}_{chain}.{suffix}.bexora"
    with open(os.path.join(output_dir, stem)) as handle:
        written = [p for p in map(parse_compact_line, handle) if p]
    tagged = []
    with open(os.path.join(output_dir, "BP_Src", stem + ".bpsrc")) as handle:
        for line in handle:
            pair = parse_compact_line(line)
            if pair:
                tagged.append((pair, line.split()[-1]))
    if sorted(written) != sorted(pair for pair, _ in tagged):
        print(f"Warning: {stem} and its .bpsrc list different pairs", file=sys.stderr)
    return written, tagged


def unique_in_order(pairs):
    return list(dict.fromkeys(pairs))


# ---------------------------------------------------------------- atoms

def read_contact_atoms(pdb_path, with_ribose_o2=True):
    """Coordinates of the contact atoms (base N/O, and O2') of each residue.

    First model and first alternate location only; residues keyed by
    (chain, number, insertion code)."""
    atoms = collections.defaultdict(dict)
    with open(pdb_path) as handle:
        for line in handle:
            if line.startswith("ENDMDL"):
                break
            if not line.startswith(("ATOM  ", "HETATM")):
                continue
            name = line[12:16].strip()
            element = line[76:78].strip() or name.lstrip("0123456789")[:1]
            is_ribose_o2 = name in RIBOSE_O2
            is_base_n_or_o = element in ("N", "O") and name not in BACKBONE_AND_SUGAR and not is_ribose_o2
            if not (is_base_n_or_o or (with_ribose_o2 and is_ribose_o2)):
                continue
            residue = (line[21], int(line[22:26]), line[26].strip())
            if name not in atoms[residue]:  # first alternate location wins
                atoms[residue][name] = (float(line[30:38]), float(line[38:46]), float(line[46:54]))
    return atoms


def minimum_contact(atoms, pair):
    first, second = (atoms.get(residue, {}).values() for residue in pair)
    return min((math.dist(a, b) for a in first for b in second), default=math.inf)


# ---------------------------------------------------------------- runs

class Runner:
    """Runs bexora in fresh folders under one temporary directory."""

    def __init__(self, bexora, realdata, work_dir, extra_options, alignments=None):
        self.bexora = bexora
        self.realdata = realdata
        self.alignments = alignments
        self.work_dir = work_dir
        self.extra_options = extra_options
        self.run_count = 0
        self.shared_input = self.make_input_folder("input")

    def source_files(self, pdb_id):
        """Bexora's input name -> file in the data folder, for one structure."""
        folder = os.path.join(self.realdata, "generated", pdb_id)
        return {
            f"{pdb_id}.pdb": os.path.join(folder, f"{pdb_id}.pdb"),
            f"{pdb_id}.rv.out": os.path.join(folder, f"{pdb_id}.rv.out"),
            f"{pdb_id}.fr3d.out": os.path.join(folder, "fr3d_raw", f"{pdb_id}_basepair.txt"),
        }

    def make_input_folder(self, name):
        folder = os.path.join(self.work_dir, name)
        os.makedirs(folder)
        pdb_ids = {pdb_id for _, members in FAMILIES for pdb_id, _ in members}
        for pdb_id in pdb_ids:
            for bexora_name, path in self.source_files(pdb_id).items():
                os.symlink(path, os.path.join(folder, bexora_name))
        os.symlink(os.path.join(self.realdata, "pdb_seqres.na.fa"), os.path.join(folder, "pdb_seqres.na.fa"))
        for name in os.listdir(self.alignments) if self.alignments else []:
            if name.endswith(".aln"):
                os.symlink(os.path.join(self.alignments, name), os.path.join(folder, name))
        return folder

    def link_alignment(self, folder, reference, target, target_as):
        """The reference-target residue correspondence, named for target_as (id, chain)."""
        source = os.path.join(self.alignments or "", f"{reference[0]}_{reference[1]}_{target[0]}_{target[1]}.aln")
        if self.alignments and os.path.exists(source):
            os.symlink(source, os.path.join(folder, f"{reference[0]}_{reference[1]}_{target_as[0]}_{target_as[1]}.aln"))

    def run(self, reference, target, input_dir, with_extra=True):
        """Runs one pair; returns the output folder."""
        self.run_count += 1
        output_dir = os.path.join(self.work_dir, f"out{self.run_count:04d}")
        command = [self.bexora, *reference, *target, *BASE_OPTIONS, "-I", input_dir, "-O", output_dir]
        if with_extra:
            command += self.extra_options
        result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if result.returncode != 0:
            sys.exit(f"bexora failed ({result.returncode}): {' '.join(command)}\n{result.stdout}")
        return output_dir


def native_pairs(runner, chain_key):
    """Own pairs of each tool for one chain, in the order a self run writes them."""
    output_dir = runner.run(chain_key, chain_key, runner.shared_input, with_extra=False)
    return {
        code: unique_in_order(read_written_pairs(output_dir, *chain_key, suffix)[0])
        for code, suffix, _ in TOOLS
    }


def read_evidence(output_dir, target, suffix):
    """Rows of the evidence file as dicts by column name; none when it is not written."""
    path = os.path.join(output_dir, "BP_Src", f"{target[0]}_{target[1]}.{suffix}.bexora.evidence.tsv")
    if not os.path.exists(path):
        return []
    with open(path) as handle:
        header = handle.readline().rstrip("\n").split("\t")
        return [dict(zip(header, line.rstrip("\n").split("\t"))) for line in handle]


def decision_of(row):
    return f"{row['decision']}:{row['reason']}"


def evidence_reasons(output_dir, target, suffix):
    """group/decision:reason of each checked pair in the evidence file."""
    rows = read_evidence(output_dir, target, suffix)
    return [f"{row['group']}/{decision_of(row)}" for row in rows if row.get("group") in EVIDENCE_GROUPS]


def carried_decisions(output_dir, target, suffix):
    """decision:reason of each carried pair, by its residue pair in the target."""
    rows = read_evidence(output_dir, target, suffix)
    return {parse_compact_line(row["target_pair"]): decision_of(row)
            for row in rows if row.get("group") == "reference-inferable"}


# ---------------------------------------------------------------- drop-out copies

def pseudo_id(pdb_id, taken_ids):
    """The id with its first character replaced by a digit no structure uses."""
    for digit in "9876543210":
        candidate = digit + pdb_id[1:]
        if candidate not in taken_ids:
            return candidate
    raise RuntimeError(f"no free pseudo id for {pdb_id}")


def rnaview_residues(line):
    """Residue pair of an RNAView pair line, or None for stacked and other lines."""
    parts = line.split(":")
    if len(parts) != 3 or "/" not in parts[2]:
        return None
    first_chain = parts[0].split()[-1]
    fields = parts[1].split()  # "1 G-C 72 A"
    if len(fields) < 4:
        return None
    return residue_pair((first_chain, int(fields[0]), ""), (fields[-1], int(fields[-2]), ""))


def rnaview_without(text, removed):
    """RNAView output without the pair lines of the removed residue pairs."""
    kept, in_pairs = [], False
    for line in text.splitlines(keepends=True):
        stripped = line.strip()
        if stripped in ("BEGIN_base-pair", "END_base-pair"):
            in_pairs = stripped == "BEGIN_base-pair"
        elif in_pairs and rnaview_residues(line) in removed:
            continue
        kept.append(line)
    return "".join(kept)


def fr3d_unit_residue(unit):
    fields = unit.split("|")
    insertion = fields[7] if len(fields) > 7 else ""
    return (fields[2], int(fields[4]), insertion)


def fr3d_without(text, removed, new_id):
    """FR3D pair list without the removed residue pairs, its unit ids renamed.

    The tab-separated pair list is read whatever PDB id its units carry, but
    the CSV layout must name the run's id, so the units follow the copy."""
    kept = []
    for line in text.splitlines(keepends=True):
        columns = line.rstrip("\n").split("\t")
        if len(columns) >= 3 and "|" in columns[0] and "|" in columns[2]:
            pair = residue_pair(fr3d_unit_residue(columns[0]), fr3d_unit_residue(columns[2]))
            if pair in removed:
                continue
            line = re.sub(r"(^|\t)[^|\t]+\|", lambda m: m.group(1) + new_id + "|", line)
        kept.append(line)
    return "".join(kept)


def fasta_with_pseudo_entry(text, pdb_id, chain, new_id):
    """The sequence file plus a copy of the chain's entry under the new id."""
    wanted = f">{pdb_id.lower()}_{chain}"
    lines = text.splitlines()
    for index, line in enumerate(lines):
        if line.split()[0:1] == [wanted]:
            entry = [f">{new_id.lower()}_{chain}" + line[len(wanted):]]
            for sequence_line in lines[index + 1:]:
                if sequence_line.startswith(">"):
                    break
                entry.append(sequence_line)
            return text.rstrip("\n") + "\n" + "\n".join(entry) + "\n"
    raise RuntimeError(f"{wanted} not in pdb_seqres.na.fa")


def write_dropout_input(runner, reference, target, new_id, removed_by_tool, name):
    """An input folder where the target, under new_id, lacks the removed pairs."""
    folder = runner.make_input_folder(name)
    runner.link_alignment(folder, reference, target, (new_id, target[1]))
    sources = runner.source_files(target[0])
    shutil.copyfile(sources[f"{target[0]}.pdb"], os.path.join(folder, f"{new_id}.pdb"))
    with open(sources[f"{target[0]}.rv.out"]) as handle:
        rnaview = rnaview_without(handle.read(), removed_by_tool["RV"])
    with open(sources[f"{target[0]}.fr3d.out"]) as handle:
        fr3d = fr3d_without(handle.read(), removed_by_tool["FR"], new_id)
    with open(os.path.join(runner.realdata, "pdb_seqres.na.fa")) as handle:
        fasta = fasta_with_pseudo_entry(handle.read(), *target, new_id)
    os.unlink(os.path.join(folder, "pdb_seqres.na.fa"))
    for file_name, content in ((f"{new_id}.rv.out", rnaview), (f"{new_id}.fr3d.out", fr3d),
                               ("pdb_seqres.na.fa", fasta)):
        with open(os.path.join(folder, file_name), "w") as handle:
            handle.write(content)
    return folder


def dropout_counts(runner, reference, target, natives, folds, taken_ids):
    """Per tool over all folds of one ordered pair: removed and restored counts,
    and why the others did not come back (the evidence decision, or not carried)."""
    new_id = pseudo_id(target[0], taken_ids)
    counts = {code: collections.Counter() for code, _, _ in TOOLS}
    for fold in range(folds):
        removed = {code: {p for i, p in enumerate(natives[code]) if i % folds == fold} for code, _, _ in TOOLS}
        name = f"drop_{reference[0]}{reference[1]}_{target[0]}{target[1]}_{fold}"
        input_dir = write_dropout_input(runner, reference, target, new_id, removed, name)
        output_dir = runner.run(reference, (new_id, target[1]), input_dir)
        for code, suffix, _ in TOOLS:
            written = set(read_written_pairs(output_dir, new_id, target[1], suffix)[0])
            decisions = carried_decisions(output_dir, (new_id, target[1]), suffix)
            counts[code].update(removed=len(removed[code]), restored=len(removed[code] & written))
            counts[code].update(f"{NOT_RESTORED}/{decisions.get(pair, 'not-carried')}"
                                for pair in removed[code] - written)
    return counts


# ---------------------------------------------------------------- measures

def compare_pair(runner, reference, target, natives, atoms, base_atoms):
    """Measures of one comparison run, per tool."""
    output_dir = runner.run(reference, target, runner.shared_input)
    measures = {}
    for code, suffix, _ in TOOLS:
        other = next(c for c, _, _ in TOOLS if c != code)
        written, tagged = read_written_pairs(output_dir, *target, suffix)
        carried = [pair for pair, tag in tagged if tag == CARRIED_TAG]
        own = set(natives[target][code])
        measures[code] = {
            "own": len(own),
            "lost": len(own - set(written)),
            "carried": len(carried),
            "carried_on_own": sum(pair in own for pair in carried),
            "confirmed": sum(pair in set(natives[target][other]) for pair in carried),
            "no_contact": sum(minimum_contact(atoms, pair) > CONTACT_CUTOFF for pair in carried),
            "no_base_contact": sum(minimum_contact(base_atoms, pair) > CONTACT_CUTOFF for pair in carried),
            "reasons": collections.Counter(evidence_reasons(output_dir, target, suffix)),
        }
    return measures


def measure_family(runner, members, natives, folds, taken_ids):
    totals = {code: collections.Counter() for code, _, _ in TOOLS}
    reasons = {code: collections.Counter() for code, _, _ in TOOLS}
    pair_count = 0
    for target in members:
        pdb_path = runner.source_files(target[0])[f"{target[0]}.pdb"]
        atoms, base_atoms = read_contact_atoms(pdb_path), read_contact_atoms(pdb_path, with_ribose_o2=False)
        for reference in members:
            if reference == target:
                continue
            pair_count += 1
            for code, values in compare_pair(runner, reference, target, natives, atoms, base_atoms).items():
                reasons[code] += values.pop("reasons")
                totals[code].update(values)
            for code, counts in dropout_counts(runner, reference, target, natives[target], folds, taken_ids).items():
                totals[code].update(removed=counts.pop("removed"), restored=counts.pop("restored"))
                reasons[code] += counts
    return pair_count, totals, reasons


# ---------------------------------------------------------------- report

COLUMNS = ["own", "lost", "carried", "confirmed", "no_contact", "no_base_contact"]


def table_row(label, tool, pairs, counts):
    removed, restored = counts["removed"], counts["restored"]
    share = f"{100.0 * restored / removed:.1f}%" if removed else "-"
    cells = [label, tool, str(pairs)] + [str(counts[c]) for c in COLUMNS] + [f"{restored}/{removed}", share]
    return "| " + " | ".join(cells) + " |"


def print_report(results, extra_options, alignments):
    print(f"Options: {' '.join(BASE_OPTIONS + extra_options)}")
    print(f"Structure alignments: {alignments or 'none (sequence alignment)'}\n")
    print("| family | tool | ordered pairs | " + " | ".join(COLUMNS) + " | restored/removed | restored |")
    print("|" + "---|" * (len(COLUMNS) + 5))
    grand = collections.Counter()
    for family, pair_count, totals, _ in results:
        for code, _, name in TOOLS:
            print(table_row(family, name, pair_count, totals[code]))
            grand.update(totals[code])
    print(table_row("**total**", "both", sum(pair_count for _, pair_count, _, _ in results), grand))
    on_own = grand["carried_on_own"]
    print(f"\nCarried pairs whose residues the tool already pairs in the target (another annotation): {on_own}")
    print("\nEvidence file, decision:reason counts of the carried (reference-inferable) pairs, of the own")
    print("pairs checked against the reference (target-inferable), and of the drop-out pairs not restored:")
    for family, _, _, reasons in results:
        for code, _, name in TOOLS:
            for group, label in REASON_GROUPS.items():
                counts = sorted((key.split("/", 1)[1], n) for key, n in reasons[code].items()
                                if key.split("/", 1)[0] == group)
                text = ", ".join(f"{key} {n}" for key, n in counts) or "none"
                print(f"- {family} {name}, {label}: {text}")


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--bexora", default=os.path.join(REPO_ROOT, "build", "bexora"))
    parser.add_argument("--realdata", default=os.path.join(REPO_ROOT, "..", "shared", "realdata"))
    parser.add_argument("--folds", type=int, default=5)
    parser.add_argument("--alignments", metavar="DIR",
                        help="structure alignments REF_RC_TGT_TC.aln to give bexora (e.g. REALDATA/usalign); "
                             "default: none, bexora aligns the sequences")
    parser.add_argument("extra", nargs=argparse.REMAINDER, help="-- then options for every comparison run")
    args = parser.parse_args()
    if args.extra[:1] == ["--"]:
        args.extra = args.extra[1:]
    if args.folds < 1:
        parser.error("--folds must be at least 1")
    return args


def main():
    args = parse_arguments()
    if not os.path.isdir(os.path.join(args.realdata, "generated")):
        print(f"No real data at {args.realdata}; nothing measured.")
        return 0
    if not os.access(args.bexora, os.X_OK):
        sys.exit(f"bexora binary not found: {args.bexora}")
    taken_ids = {pdb_id for _, members in FAMILIES for pdb_id, _ in members}
    with tempfile.TemporaryDirectory(prefix="bexora_quality_") as work_dir:
        alignments = os.path.abspath(args.alignments) if args.alignments else None
        runner = Runner(os.path.abspath(args.bexora), os.path.abspath(args.realdata), work_dir, args.extra, alignments)
        results = []
        for family, members in FAMILIES:
            natives = {chain_key: native_pairs(runner, chain_key) for chain_key in members}
            results.append((family, *measure_family(runner, members, natives, args.folds, taken_ids)))
    print_report(results, args.extra, alignments)
    return 0


if __name__ == "__main__":
    sys.exit(main())
