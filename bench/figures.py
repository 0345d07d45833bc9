# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""How the benchmarks write their figures: each as the median, then the range, in a Markdown table."""

import statistics


def spread(values, digits=1):
    values = [v for v in values if v == v]
    if not values:
        return "n/a"
    f = f"{{:.{digits}f}}"
    return f"{f.format(statistics.median(values))} ({f.format(min(values))}–{f.format(max(values))})"


def print_table(header, rows):
    """The rows under the header as a Markdown table, each column as wide as its widest cell."""
    widths = [max(len(r[i]) for r in rows + [header]) for i in range(len(header))]
    print("| " + " | ".join(h.ljust(w) for h, w in zip(header, widths)) + " |")
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for row in rows:
        print("| " + " | ".join(c.ljust(w) for c, w in zip(row, widths)) + " |")
