# Compiler flags shared by every target of the project.
add_compile_options(-Wall -Wextra)
if(PENCORA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(PENCORA_FUZZ)
  # Every library a fuzz target links is instrumented for coverage, so the fuzzer is guided by
  # the code under test and not only by the target's own file; address and undefined-behaviour
  # checks turn silent corruption into finds.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# A compiler cache speeds up rebuilds of several work trees on one machine; it is optional.
find_program(PENCORA_CCACHE ccache)
if(PENCORA_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${PENCORA_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${PENCORA_CCACHE})
endif()
