target_sources(cofrel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/cofrel_planejamento_mensal.h ${CMAKE_CURRENT_LIST_DIR}/cofrel_planejamento_mensal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cofrel_inclui_mes.h ${CMAKE_CURRENT_LIST_DIR}/cofrel_inclui_mes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plano_mensal.h ${CMAKE_CURRENT_LIST_DIR}/plano_mensal.cpp
)
