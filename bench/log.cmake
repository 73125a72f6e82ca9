velatrix_bench(bench_log bench_log.cpp LIBS velatrix_log_finestre)
