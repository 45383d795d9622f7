cofrel_test(test_senha ${CMAKE_CURRENT_LIST_DIR}/test_senha.cpp)

add_library(cofrel_accounts_testsupport STATIC
  ${CMAKE_CURRENT_LIST_DIR}/janelas_contas.h ${CMAKE_CURRENT_LIST_DIR}/janelas_contas.cpp)
target_link_libraries(cofrel_accounts_testsupport PUBLIC cofrel_testsupport)

cofrel_test(test_inclui_usuario ${CMAKE_CURRENT_LIST_DIR}/test_inclui_usuario.cpp)
target_link_libraries(test_inclui_usuario PRIVATE cofrel_accounts_testsupport)
cofrel_test(test_login ${CMAKE_CURRENT_LIST_DIR}/test_login.cpp)
target_link_libraries(test_login PRIVATE cofrel_accounts_testsupport)
