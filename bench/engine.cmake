# SPDX-License-Identifier: GPL-3.0-or-later
velatrix_bench(bench_engine bench_engine.cpp LIBS velatrix_engine)
target_include_directories(bench_engine PRIVATE ${CMAKE_SOURCE_DIR}/tests)
