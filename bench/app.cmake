# SPDX-License-Identifier: GPL-3.0-or-later
velatrix_bench(bench_app bench_app.cpp LIBS velatrix_app)
target_include_directories(bench_app PRIVATE ${CMAKE_SOURCE_DIR}/tests)
