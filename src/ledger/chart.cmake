# The expense chart control and its slice colours.
target_sources(cofrel_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/cores_fatias.h)
target_sources(cofrel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/grafico_pizza.h ${CMAKE_CURRENT_LIST_DIR}/grafico_pizza.cpp
)
