# The writer the crash tests kill (tests/reliability): the program's own
# write operations, reported line by line, with a counting SQLite VFS for
# dying at a chosen disk step.
find_package(SQLite3 REQUIRED)
add_executable(cofrel_crashwriter
  ${CMAKE_CURRENT_LIST_DIR}/crashwriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/crashwriter_protocolo.h
  ${CMAKE_CURRENT_LIST_DIR}/crashwriter_operacoes.h ${CMAKE_CURRENT_LIST_DIR}/crashwriter_operacoes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/crashwriter_vfs.h ${CMAKE_CURRENT_LIST_DIR}/crashwriter_vfs.cpp)
target_link_libraries(cofrel_crashwriter PRIVATE cofrel_ui SQLite::SQLite3 cofrel_warnings)
