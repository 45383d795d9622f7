cofrel_test(test_senha ${CMAKE_CURRENT_LIST_DIR}/test_senha.cpp)
cofrel_test(test_inclui_usuario ${CMAKE_CURRENT_LIST_DIR}/test_inclui_usuario.cpp)
cofrel_test(test_login ${CMAKE_CURRENT_LIST_DIR}/test_login.cpp)
