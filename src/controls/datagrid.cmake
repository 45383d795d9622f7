# The data-aware grid of the statement and the plan.
target_sources(cofrel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/data_grid.h
  ${CMAKE_CURRENT_LIST_DIR}/data_grid.cpp
)
