# SPDX-License-Identifier: GPL-3.0-or-later
velatrix_bench(bench_servizio bench_servizio.cpp LIBS velatrix_app_servizio)
