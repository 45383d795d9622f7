# One interface target carries the project's warnings and string hygiene;
# every target of ours links it.
add_library(cofrel_warnings INTERFACE)

if(MSVC)
  # /utf-8: the sources hold Portuguese text in UTF-8, which MSVC would
  # otherwise read in the system's code page.
  target_compile_options(cofrel_warnings INTERFACE
    /W4 /permissive- /utf-8 /Zc:__cplusplus /Zc:preprocessor)
elseif(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(cofrel_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough)
endif()

# Nothing Qt deprecated up to the oldest Qt we build with may be used, so the
# code keeps building on every newer one. Qt 6.4 reads the older name.
math(EXPR _cofrel_qt_floor
  "(${COFREL_QT_MINIMUM_MAJOR} << 16) | (${COFREL_QT_MINIMUM_MINOR} << 8)"
  OUTPUT_FORMAT HEXADECIMAL)
target_compile_definitions(cofrel_warnings INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_USE_QSTRINGBUILDER QT_NO_KEYWORDS
  QT_DISABLE_DEPRECATED_UP_TO=${_cofrel_qt_floor}
  QT_DISABLE_DEPRECATED_BEFORE=${_cofrel_qt_floor})

if(COFREL_SANITIZE)
  if(MSVC)
    target_compile_options(cofrel_warnings INTERFACE /fsanitize=address)
  else()
    target_compile_options(cofrel_warnings INTERFACE
      -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(cofrel_warnings INTERFACE -fsanitize=address,undefined)
  endif()
endif()
