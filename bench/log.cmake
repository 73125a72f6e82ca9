enable_language(C)
velatrix_bench(bench_log bench_log.cpp pavimento_log.c pavimento_esporta.c pavimento_log.h LIBS velatrix_log_finestre m)
