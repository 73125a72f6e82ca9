# SPDX-License-Identifier: GPL-3.0-or-later
velatrix_bench(bench_pulses bench_pulses.cpp LIBS velatrix_pulses)
