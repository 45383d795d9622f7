# A picture sheet of the expense chart in its typical states, for looking at.
add_executable(cofrel_chart_sheet ${CMAKE_CURRENT_LIST_DIR}/chart_sheet.cpp)
target_link_libraries(cofrel_chart_sheet PRIVATE cofrel_ui cofrel_warnings)
