# The program's start-up against a bare Qt window; both run under Xvfb.
add_executable(finestra_nuda finestra_nuda.cpp)
target_link_libraries(finestra_nuda PRIVATE Qt6::Widgets)
find_library(VELATRIX_XCB xcb)
if(VELATRIX_XCB)
  velatrix_bench(bench_avvio bench_avvio.cpp LIBS ${VELATRIX_XCB})
  target_compile_definitions(bench_avvio PRIVATE VELATRIX_PROGRAMMA="$<TARGET_FILE:velatrix>"
    VELATRIX_FINESTRA_NUDA="$<TARGET_FILE:finestra_nuda>")
  add_dependencies(bench_avvio velatrix finestra_nuda)
endif()
