add_library(cofrel_planning_testsupport STATIC
  ${CMAKE_CURRENT_LIST_DIR}/apoio_plano.h ${CMAKE_CURRENT_LIST_DIR}/apoio_plano.cpp)
target_link_libraries(cofrel_planning_testsupport PUBLIC cofrel_testsupport)

cofrel_test(test_inclui_mes ${CMAKE_CURRENT_LIST_DIR}/test_inclui_mes.cpp)
target_link_libraries(test_inclui_mes PRIVATE cofrel_planning_testsupport)

cofrel_test(test_planejamento ${CMAKE_CURRENT_LIST_DIR}/test_planejamento.cpp)
target_link_libraries(test_planejamento PRIVATE cofrel_planning_testsupport)

cofrel_test(test_vencidos ${CMAKE_CURRENT_LIST_DIR}/test_vencidos.cpp)
target_link_libraries(test_vencidos PRIVATE cofrel_planning_testsupport)

cofrel_test(test_protocolo_timer ${CMAKE_CURRENT_LIST_DIR}/test_protocolo_timer.cpp)
target_link_libraries(test_protocolo_timer PRIVATE cofrel_planning_testsupport)
