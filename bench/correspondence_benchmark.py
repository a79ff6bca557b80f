#!/usr/bin/env python3
"""Residue correspondences compared on real homologous RNA chains.

For every ordered (reference, target) pair of three families (tRNA-Phe: 1EHZ,
6TNA, 1TRA, 1EVV; ydaO riboswitch: 4QLN, 4QLM, 4QK8; the two copies A and B of
1GID) it runs bexora with RNAView and FR3D three times:

  sequence   the sequence alignment alone (--sequence-alignment)
  outside    the outside aligner's correspondence, its REF_RC_TGT_TC.aln file
             (from ../shared/realdata/usalign) in the input folder
  structure  the built-in structure correspondence (--structure-correspondence)

and reports, per pair and tool, the reference pairs that land on a target pair
of the same tool (the pairs the summary tags Both), the family totals, the
processor time of each run, and how often the built-in correspondence agrees
with the outside aligner's: of the reference residues both align, the share
mapped to the same target residue.

  python3 bench/correspondence_benchmark.py [--bexora build/bexora]
      [--realdata ../shared/realdata]
"""

import argparse
import os
import re
import resource
import subprocess
import sys
import tempfile

REPO_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

FAMILIES = [
    ("tRNA-Phe", [("1EHZ", "A"), ("6TNA", "A"), ("1TRA", "A"), ("1EVV", "A")]),
    ("ydaO", [("4QLN", "A"), ("4QLM", "A"), ("4QK8", "A")]),
    ("1GID", [("1GID", "A"), ("1GID", "B")]),
]
TOOLS = ["RNAView", "FR3D"]
MODES = ["sequence", "outside", "structure"]
BASE_OPTIONS = ["-M", "RV,FR", "--modified", "--unknown-dpi", "0.25"]
SUMMARY = re.compile(r"^Summary: (\S+): .* Both (\d+),")


def alignment_name(reference, target):
    return f"{reference[0]}_{reference[1]}_{target[0]}_{target[1]}.aln"


def make_input_folder(folder, realdata):
    os.makedirs(folder)
    for _, members in FAMILIES:
        for pdb_id, _ in members:
            source = os.path.join(realdata, "generated", pdb_id)
            links = {f"{pdb_id}.pdb": os.path.join(source, f"{pdb_id}.pdb"),
                     f"{pdb_id}.rv.out": os.path.join(source, f"{pdb_id}.rv.out"),
                     f"{pdb_id}.fr3d.out": os.path.join(source, "fr3d_raw", f"{pdb_id}_basepair.txt")}
            for name, path in links.items():
                if not os.path.lexists(os.path.join(folder, name)):
                    os.symlink(path, os.path.join(folder, name))
    os.symlink(os.path.join(realdata, "pdb_seqres.na.fa"), os.path.join(folder, "pdb_seqres.na.fa"))


def read_correspondence(path):
    """Reference residue token -> target residue token."""
    pairs = {}
    with open(path) as handle:
        for line in handle:
            for token in line.split():
                if "<->" in token:
                    reference, target = token.split("<->")
                    pairs[reference] = target
    return pairs


def run_bexora(bexora, reference, target, input_dir, output_dir, options):
    """Tool name -> pairs landing on target pairs, and the run's processor time in ms."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    command = [bexora, *reference, *target, *BASE_OPTIONS, *options, "-I", input_dir, "-O", output_dir]
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if result.returncode != 0:
        sys.exit(f"bexora failed ({result.returncode}): {' '.join(command)}\n{result.stdout}")
    landing = {m.group(1): int(m.group(2)) for m in map(SUMMARY.match, result.stdout.splitlines()) if m}
    seconds = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return landing, seconds * 1000


def compare_pair(args, work, reference, target, run_number):
    """One ordered pair under every mode: landing counts, times, agreement."""
    row = {"landing": {}, "ms": {}, "agreement": None}
    outside = os.path.join(args.realdata, "usalign", alignment_name(reference, target))
    for mode in MODES:
        if mode == "outside" and not os.path.exists(outside):
            continue
        input_dir = os.path.join(work, "input-outside" if mode == "outside" else "input")
        output_dir = os.path.join(work, f"out{run_number}-{mode}")
        options = {"sequence": ["--sequence-alignment"], "outside": [],
                   "structure": ["--structure-correspondence"]}[mode]
        row["landing"][mode], row["ms"][mode] = run_bexora(args.bexora, reference, target, input_dir, output_dir,
                                                           options)
    built = os.path.join(work, f"out{run_number}-structure", alignment_name(reference, target))
    if os.path.exists(outside) and os.path.exists(built):
        theirs, ours = read_correspondence(outside), read_correspondence(built)
        both = [residue for residue in ours if residue in theirs]
        same = sum(1 for residue in both if ours[residue] == theirs[residue])
        row["agreement"] = (same, len(both))
    return row


def cell(row, mode, tool):
    value = row["landing"].get(mode, {}).get(tool)
    return "-" if value is None else str(value)


def print_pair(label, row):
    counts = "  ".join(f"{cell(row, mode, tool):>4}" for tool in TOOLS for mode in MODES)
    times = "  ".join(f"{row['ms'].get(mode, 0):6.1f}" if mode in row["ms"] else "     -" for mode in MODES)
    agreement = row["agreement"]
    share = f"{agreement[0]}/{agreement[1]} ({100 * agreement[0] / agreement[1]:.1f} %)" if agreement else "-"
    print(f"{label:<14}  {counts}    {times}    {share}")


def print_header():
    print(f"{'pair':<14}  {'RNAView seq/out/str':>18}  {'FR3D seq/out/str':>18}    "
          f"{'ms seq   out    str':>20}    agreement with the outside aligner")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bexora", default=os.path.join(REPO_ROOT, "build", "bexora"))
    parser.add_argument("--realdata", default=os.path.join(os.path.dirname(REPO_ROOT), "shared", "realdata"))
    args = parser.parse_args()
    args.realdata = os.path.abspath(args.realdata)
    with tempfile.TemporaryDirectory() as work:
        make_input_folder(os.path.join(work, "input"), args.realdata)
        make_input_folder(os.path.join(work, "input-outside"), args.realdata)
        for name in os.listdir(os.path.join(args.realdata, "usalign")):
            if name.endswith(".aln"):
                os.symlink(os.path.join(args.realdata, "usalign", name), os.path.join(work, "input-outside", name))
        print_header()
        run_number = 0
        for family, members in FAMILIES:
            totals = {"landing": {mode: {tool: 0 for tool in TOOLS} for mode in MODES}, "ms": {}, "agreement": None}
            for reference in members:
                for target in members:
                    if reference == target:
                        continue
                    run_number += 1
                    row = compare_pair(args, work, reference, target, run_number)
                    print_pair(f"{reference[0]}{reference[1]}->{target[0]}{target[1]}", row)
                    for mode, by_tool in row["landing"].items():
                        for tool, count in by_tool.items():
                            totals["landing"][mode][tool] += count
                        totals["ms"][mode] = totals["ms"].get(mode, 0) + row["ms"][mode]
                    if row["agreement"]:
                        same, both = totals["agreement"] or (0, 0)
                        totals["agreement"] = (same + row["agreement"][0], both + row["agreement"][1])
            if not any(row_mode == "outside" for row_mode in totals["ms"]):
                totals["landing"].pop("outside")
            print_pair(f"{family} total", totals)
            print()


if __name__ == "__main__":
    main()
