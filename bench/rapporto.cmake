# SPDX-License-Identifier: GPL-3.0-or-later
velatrix_bench(bench_rapporto bench_rapporto.cpp LIBS velatrix_pulses_finestre)
