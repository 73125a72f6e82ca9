velatrix_test(test_links ${CMAKE_CURRENT_LIST_DIR}/test_LinkPuntoPunto.cpp LIBS velatrix_links)
