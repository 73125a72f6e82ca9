# SPDX-License-Identifier: GPL-3.0-or-later
velatrix_bench(bench_settings bench_settings.cpp LIBS velatrix_settings)
