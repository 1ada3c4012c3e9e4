# Adds every direct subfolder of the current source folder that has a CMakeLists.txt,
# in name order. Target references across folders are resolved at generate time, so the
# order does not matter.
function(pencora_add_subdirectories)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child}
       AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# pencora_add_test(NAME SOURCES a.cpp b.cpp LIBS target... [ENV VAR=value...] [LABELS l...])
# A GoogleTest executable registered with CTest. Widgets run on Qt's offscreen platform.
function(pencora_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    PENCORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    PENCORA_CONFORMANCE_DIR="${PROJECT_SOURCE_DIR}/../shared/conformance")
  include(GoogleTest)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${T_LABELS}")
  # The environment is a list-valued property, and the discovery script flattens lists
  # passed through PROPERTIES (each entry after the first would become a property name).
  # So it is set afterwards, on the tests the discovery found, from a script of our own.
  set(env QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy ${T_ENV})
  set(env_script ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
  file(WRITE ${env_script}
       "if(DEFINED ${name}_TESTS)\n"
       "  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT [==[${env}]==])\n"
       "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${env_script})
endfunction()

# pencora_add_fuzzer(NAME SOURCES a.cpp LIBS target... [SEEDS dir])
# A fuzz target defining LLVMFuzzerTestOneInput. With PENCORA_FUZZ (clang) it is a libFuzzer
# binary; otherwise it links a small driver that runs every file given on the command line,
# and CTest runs it once over its seed folder so the seeds stay regression inputs.
function(pencora_add_fuzzer name)
  cmake_parse_arguments(F "" "SEEDS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  if(PENCORA_FUZZ)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    # scripts/fuzz.sh finds each target's binary and seed folder in fuzz-targets.txt.
    set_property(GLOBAL APPEND PROPERTY PENCORA_FUZZ_TARGETS
      "${name}\t${CMAKE_CURRENT_BINARY_DIR}/${name}\t${F_SEEDS}")
  else()
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/fuzz_driver.cpp)
    if(F_SEEDS)
      add_test(NAME ${name}_seeds COMMAND ${name} ${F_SEEDS})
      set_tests_properties(${name}_seeds PROPERTIES LABELS fuzz-seeds
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
  endif()
endfunction()
