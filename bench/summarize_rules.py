"""Turns Google Benchmark's JSON into the rule-cost table: ns per call and share of the
20 ms fast tick at "B. Szybko"."""

import json
import sys

BUDGET_NS = 20e6

report = json.load(sys.stdin)
print("\nRule cost on the in-memory board (median of repetitions)")
print("| event | ns per call | share of 20 ms |")
for run in report["benchmarks"]:
    if run.get("aggregate_name", "median") != "median":
        continue
    name = run["run_name"].removeprefix("BM_")
    ns = run["real_time"]
    print(f"| {name} | {ns:,.0f} | {100 * ns / BUDGET_NS:.4f} % |")
