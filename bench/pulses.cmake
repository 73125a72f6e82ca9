velatrix_bench(bench_pulses bench_pulses.cpp LIBS velatrix_pulses)
