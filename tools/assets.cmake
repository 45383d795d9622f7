# The program folder beside the executable: fundo.bmp, the help page and
# dados/ with the empty templates, all made by our own code at build time.
add_executable(cofrel_make_assets ${CMAKE_CURRENT_LIST_DIR}/make_assets.cpp
                                  ${CMAKE_CURRENT_LIST_DIR}/fundo.h ${CMAKE_CURRENT_LIST_DIR}/fundo.cpp)
target_link_libraries(cofrel_make_assets PRIVATE cofrel_core Qt6::Gui cofrel_warnings)

add_custom_target(cofrel_program_folder ALL
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:cofrel_make_assets> ${COFREL_PROGRAM_DIR} ${PROJECT_SOURCE_DIR}/assets/Ajuda.html
  DEPENDS cofrel_make_assets ${PROJECT_SOURCE_DIR}/assets/Ajuda.html
  COMMENT "Preparing the program folder (fundo.bmp, Ajuda.html, dados/)"
  VERBATIM)
add_dependencies(cofrel_program_folder cofrel)

# The icon for the desktop's icon theme (SVG and PNG sizes), drawn by the
# same code as the window icon.
add_executable(cofrel_make_icons ${CMAKE_CURRENT_LIST_DIR}/make_icons.cpp)
target_link_libraries(cofrel_make_icons PRIVATE cofrel_core Qt6::Gui Qt6::Svg cofrel_warnings)
