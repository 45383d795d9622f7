# The main window and the entry dialog, driven through their controls.
cofrel_test(test_inclui_valor ${CMAKE_CURRENT_LIST_DIR}/test_inclui_valor.cpp)

cofrel_test(test_main_window ${CMAKE_CURRENT_LIST_DIR}/test_main_window.cpp)
target_compile_definitions(test_main_window PRIVATE
  COFREL_ASSETS_DIR="${PROJECT_SOURCE_DIR}/assets"
  COFREL_SHOTS_DIR="${CMAKE_CURRENT_BINARY_DIR}/shots")

# The same window on a 640 x 480 screen: it sits at the top edge.
cofrel_test(test_main_window_640 ${CMAKE_CURRENT_LIST_DIR}/test_main_window_640.cpp)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/screen640.json
  "{ \"screens\": [ { \"name\": \"small\", \"x\": 0, \"y\": 0, \"width\": 640, \"height\": 480, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1 } ] }\n")
set_tests_properties(test_main_window_640 PROPERTIES ENVIRONMENT
  "QT_QPA_PLATFORM=offscreen:configfile=${CMAKE_CURRENT_BINARY_DIR}/screen640.json;QT_QPA_FONTDIR=/usr/share/fonts/truetype")

# The balance to date kept from one session to the next.
cofrel_test(test_saldo_guardado ${CMAKE_CURRENT_LIST_DIR}/test_saldo_guardado.cpp)
target_link_libraries(test_saldo_guardado PRIVATE Qt6::Sql)
