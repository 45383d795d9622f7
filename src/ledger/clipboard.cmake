target_sources(cofrel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/painel_grafico.h ${CMAKE_CURRENT_LIST_DIR}/painel_grafico.cpp
  ${CMAKE_CURRENT_LIST_DIR}/copia_extrato.h ${CMAKE_CURRENT_LIST_DIR}/copia_extrato.cpp
  ${CMAKE_CURRENT_LIST_DIR}/esteira.h
  ${CMAKE_CURRENT_LIST_DIR}/caixa_relatorio.h ${CMAKE_CURRENT_LIST_DIR}/caixa_relatorio.cpp
)
