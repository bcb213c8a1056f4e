# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Turns Google Benchmark's JSON into the rule-cost table: ns per call and share of the
20 ms fast tick at "B. Szybko"."""

import json
import sys

BUDGET_NS = 20e6

runs = json.load(sys.stdin)["benchmarks"]
medians = [r for r in runs if r.get("aggregate_name") == "median"]
chosen = medians or [r for r in runs if r.get("run_type", "iteration") == "iteration"]
print(f"\nRule cost on the in-memory board ({'median of repetitions' if medians else 'one run'})")
print("| event | ns per call | share of 20 ms |")
for run in chosen:
    name = run["run_name"].removeprefix("BM_")
    ns = run["real_time"]
    print(f"| {name} | {ns:,.0f} | {100 * ns / BUDGET_NS:.4f} % |")
