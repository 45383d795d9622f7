# The data-aware grid over a query and over a table.
cofrel_test(test_data_grid ${CMAKE_CURRENT_LIST_DIR}/test_data_grid.cpp)
