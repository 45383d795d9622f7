# The gradient button and its face fills.
cofrel_test(test_face_fills ${CMAKE_CURRENT_LIST_DIR}/test_face_fills.cpp)
cofrel_test(test_gradbtn_pintura
  ${CMAKE_CURRENT_LIST_DIR}/test_gradbtn_pintura.cpp ${CMAKE_CURRENT_LIST_DIR}/test_gradbtn_apoio.h)
cofrel_test(test_gradbtn_eventos
  ${CMAKE_CURRENT_LIST_DIR}/test_gradbtn_eventos.cpp ${CMAKE_CURRENT_LIST_DIR}/test_gradbtn_apoio.h)
