# The web build: Debian's emscripten package and its own CMake platform file.
#
#   cmake --preset web && cmake --build --preset web
#
# emscripten runs parts of itself under the system's node, which does not look in the folder
# where Debian keeps the node modules emscripten needs (acorn and friends); every compile and
# link is started with NODE_PATH pointing there, however the build is invoked. The system
# libraries come prebuilt in the package's frozen cache, so nothing is built into a per-user
# cache on the first run.
set(FENNWICK_EMSCRIPTEN_ROOT /usr/share/emscripten CACHE PATH "Where emscripten is installed")
set(FENNWICK_NODE_PATH /usr/share/nodejs CACHE PATH "Where the node modules emscripten needs are")

include(${FENNWICK_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)

set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=${FENNWICK_NODE_PATH})
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=${FENNWICK_NODE_PATH})
set(CMAKE_C_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=${FENNWICK_NODE_PATH})
set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=${FENNWICK_NODE_PATH})
set(FENNWICK_STB_DIR /usr/include/stb CACHE PATH "Where stb_image.h is (Debian: libstb-dev)")
