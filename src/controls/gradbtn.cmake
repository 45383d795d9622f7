# The gradient button: its face fills need no widgets.
target_sources(cofrel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/face_fills.h ${CMAKE_CURRENT_LIST_DIR}/face_fills.cpp)
target_sources(cofrel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/GradBtn.h ${CMAKE_CURRENT_LIST_DIR}/GradBtn.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gradbtn_accessible.h ${CMAKE_CURRENT_LIST_DIR}/gradbtn_accessible.cpp
  ${CMAKE_CURRENT_LIST_DIR}/botao_cofrel.h ${CMAKE_CURRENT_LIST_DIR}/botao_cofrel.cpp)
