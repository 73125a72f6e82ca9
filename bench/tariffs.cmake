# SPDX-License-Identifier: GPL-3.0-or-later
velatrix_bench(bench_tariffs bench_tariffs.cpp LIBS velatrix_tariffs)
