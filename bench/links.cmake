velatrix_bench(bench_links bench_links.cpp LIBS velatrix_links)
# The NetworkManager stand-in the tests use.
target_include_directories(bench_links PRIVATE ${PROJECT_SOURCE_DIR}/tests/engine)
