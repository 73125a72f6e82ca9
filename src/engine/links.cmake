# Dial-up links on Linux, read from the kernel: no window, no device.
add_library(velatrix_links STATIC
  ${CMAKE_CURRENT_LIST_DIR}/LinkPuntoPunto.cpp ${CMAKE_CURRENT_LIST_DIR}/LinkPuntoPunto.h
  ${CMAKE_CURRENT_LIST_DIR}/SorgenteConnessioni.h)
target_include_directories(velatrix_links PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(velatrix_links PUBLIC Qt6::Core PRIVATE Qt6::DBus)
