# Common settings for every target of the project.

if(ZV_SANITIZE STREQUAL "address")
  set(ZV_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
elseif(ZV_SANITIZE STREQUAL "thread")
  set(ZV_SANITIZE_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
elseif(ZV_SANITIZE STREQUAL "fuzzer")
  # libFuzzer builds (clang only): every object carries the fuzzer's coverage
  # hooks with ASan and UBSan; only the fuzz targets link the fuzzer's main
  # (fuzz/CMakeLists.txt adds -fsanitize=fuzzer to them).
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ZV_SANITIZE=fuzzer needs clang (CC=clang CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(NOT ZV_SANITIZE STREQUAL "")
  message(FATAL_ERROR "ZV_SANITIZE must be empty, 'address', 'thread' or 'fuzzer'")
endif()
if(ZV_SANITIZE_FLAGS)
  add_compile_options(${ZV_SANITIZE_FLAGS})
  add_link_options(${ZV_SANITIZE_FLAGS})
endif()

# Our own code builds without warnings.
function(zv_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# zv_module(<name> SOURCES ... [DEPS ...] [QT])
# One static library per module; headers are included as "<module>/<file>.h".
function(zv_module name)
  cmake_parse_arguments(M "QT" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${M_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${M_DEPS})
  if(M_QT)
    # A module's Qt resource file (.qrc) among its sources is compiled in; the
    # program and the tests call Q_INIT_RESOURCE, as the library is static.
    set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
    target_link_libraries(${name} PUBLIC Qt6::Widgets Qt6::PrintSupport)
  endif()
  zv_strict(${name})
endfunction()

# zv_test(<name> SOURCES ... [DEPS ...] [GUI] [LABEL thread])
# One GoogleTest executable; every test case becomes a CTest test. Each test runs
# with its own temporary XDG_CONFIG_HOME and XDG_RUNTIME_DIR (made by the test main).
# GUI tests get a QApplication on the offscreen platform.
function(zv_test name)
  cmake_parse_arguments(T "GUI" "LABEL" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  zv_strict(${name})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE ZV_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  if(T_GUI)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE ${T_DEPS} zv_gui_test_main)
  else()
    target_link_libraries(${name} PRIVATE ${T_DEPS} zv_test_main)
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # One label per test (gtest_discover_tests cannot pass a list): "thread" for
  # the tests the ThreadSanitizer run executes, else "gui" or "unit".
  if(T_LABEL)
    set(label ${T_LABEL})
  elseif(T_GUI)
    set(label gui)
  else()
    set(label unit)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${label} ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
endfunction()
