# Compiler flags shared by every target of the project.
add_compile_options(-Wall -Wextra)
if(PENCORA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# A compiler cache speeds up rebuilds of several work trees on one machine; it is optional.
find_program(PENCORA_CCACHE ccache)
if(PENCORA_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${PENCORA_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${PENCORA_CCACHE})
endif()
