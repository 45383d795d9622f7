target_sources(cofrel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/lancamentos_vencidos.h ${CMAKE_CURRENT_LIST_DIR}/lancamentos_vencidos.cpp
)
