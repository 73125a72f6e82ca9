velatrix_bench(bench_links bench_links.cpp LIBS velatrix_links)
