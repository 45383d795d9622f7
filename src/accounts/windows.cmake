target_sources(cofrel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/cofrel_login.h ${CMAKE_CURRENT_LIST_DIR}/cofrel_login.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cofrel_inclui_usuario.h ${CMAKE_CURRENT_LIST_DIR}/cofrel_inclui_usuario.cpp
  ${CMAKE_CURRENT_LIST_DIR}/campo_senha.h ${CMAKE_CURRENT_LIST_DIR}/campo_senha.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wait_cursor.h
)
