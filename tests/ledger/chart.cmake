cofrel_test(test_grafico_pizza ${CMAKE_CURRENT_LIST_DIR}/test_grafico_pizza.cpp)
