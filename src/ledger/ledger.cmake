target_sources(cofrel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/cofrel_main.h ${CMAKE_CURRENT_LIST_DIR}/cofrel_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cofrel_main_abas.h ${CMAKE_CURRENT_LIST_DIR}/cofrel_main_abas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cofrel_main_extrato.h ${CMAKE_CURRENT_LIST_DIR}/cofrel_main_extrato.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cofrel_inclui_valor.h ${CMAKE_CURRENT_LIST_DIR}/cofrel_inclui_valor.cpp
)
