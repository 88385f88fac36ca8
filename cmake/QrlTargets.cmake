# Warnings are errors in our own code; sanitizers and fuzzing instrument everything we build.
set(QRL_WARNINGS -Wall -Wextra -Wpedantic -Werror -Wno-unused-parameter)

if(QRL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(QRL_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# qrl_library(name SOURCES ... DEPS ...): a static library of ours, headers found from src/.
function(qrl_library name)
  cmake_parse_arguments(ARG "SHARED" "" "SOURCES;DEPS" ${ARGN})
  if(ARG_SHARED)
    add_library(${name} SHARED ${ARG_SOURCES})
  else()
    add_library(${name} STATIC ${ARG_SOURCES})
  endif()
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE ${QRL_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# qrl_test(name [QTEST] SOURCES ... DEPS ... [NEEDS target...]): a test executable registered
# with CTest under its own name, on Qt's offscreen platform. GoogleTest by default; QTEST for a
# Qt Test program (its own main, moc run over it). NEEDS: targets the test runs or loads, built
# before it.
function(qrl_test name)
  cmake_parse_arguments(ARG "QTEST" "" "SOURCES;DEPS;NEEDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_options(${name} PRIVATE ${QRL_WARNINGS})
  if(ARG_QTEST)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} Qt6::Test)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  endif()
  target_compile_definitions(${name} PRIVATE QRL_TESTDATA_DIR="${PROJECT_SOURCE_DIR}/testdata"
                                             QRL_BINARY_DIR="${PROJECT_BINARY_DIR}")
  if(ARG_NEEDS)
    add_dependencies(${name} ${ARG_NEEDS})
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# qrl_fuzzer(name SOURCES ... DEPS ...): a libFuzzer target (only with QRL_FUZZ).
function(qrl_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_options(${name} PRIVATE ${QRL_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()
