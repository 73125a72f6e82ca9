# SPDX-License-Identifier: GPL-3.0-or-later
velatrix_bench(bench_links bench_links.cpp LIBS velatrix_links)
