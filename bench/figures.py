# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""How both benchmarks write a set of figures: the median, then the range."""

import statistics


def spread(values, digits=1):
    values = [v for v in values if v == v]
    if not values:
        return "n/a"
    f = f"{{:.{digits}f}}"
    return f"{f.format(statistics.median(values))} ({f.format(min(values))}–{f.format(max(values))})"
