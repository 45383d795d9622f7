cofrel_test(test_inclui_mes ${CMAKE_CURRENT_LIST_DIR}/test_inclui_mes.cpp)
cofrel_test(test_planejamento ${CMAKE_CURRENT_LIST_DIR}/test_planejamento.cpp)
cofrel_test(test_vencidos ${CMAKE_CURRENT_LIST_DIR}/test_vencidos.cpp)
cofrel_test(test_protocolo_timer ${CMAKE_CURRENT_LIST_DIR}/test_protocolo_timer.cpp)
