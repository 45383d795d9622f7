# A book of any size for trying and measuring the program:
# cofrel_ledgergen <pasta dados> <usuário> <senha> <N lançamentos> <P planejados> [--seed S]
add_executable(cofrel_ledgergen ${CMAKE_CURRENT_LIST_DIR}/ledgergen.cpp)
target_link_libraries(cofrel_ledgergen PRIVATE cofrel_core cofrel_warnings)
