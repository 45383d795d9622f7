# The chart tab and the copy of the statement or the chart to the clipboard.
cofrel_test(test_painel_grafico ${CMAKE_CURRENT_LIST_DIR}/test_painel_grafico.cpp)
target_compile_definitions(test_painel_grafico PRIVATE COFREL_SHOTS_DIR="${CMAKE_CURRENT_BINARY_DIR}/shots")

cofrel_test(test_copia_extrato ${CMAKE_CURRENT_LIST_DIR}/test_copia_extrato.cpp)

# The hand-over of the copy's rows to the thread that writes their lines.
cofrel_test(test_esteira ${CMAKE_CURRENT_LIST_DIR}/test_esteira.cpp)
