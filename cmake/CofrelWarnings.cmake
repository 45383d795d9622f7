# One interface target carries the project's warnings and string hygiene;
# every target of ours links it.
add_library(cofrel_warnings INTERFACE)
target_compile_options(cofrel_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
  -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough)
target_compile_definitions(cofrel_warnings INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_USE_QSTRINGBUILDER QT_NO_KEYWORDS)
if(COFREL_SANITIZE)
  target_compile_options(cofrel_warnings INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(cofrel_warnings INTERFACE -fsanitize=address,undefined)
endif()
