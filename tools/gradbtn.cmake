# A sheet of gradient buttons in every style and state, written to a PNG
# for looking at: gradbtn_sheet [file.png]
add_executable(gradbtn_sheet ${CMAKE_CURRENT_LIST_DIR}/gradbtn_sheet.cpp)
target_link_libraries(gradbtn_sheet PRIVATE cofrel_ui cofrel_warnings)
