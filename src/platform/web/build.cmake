# The browser game: Emscripten's HTML5 API for the page's events and animation frames, the
# frame buffer put on a canvas, stb_image for the bitmaps (picked in src/CMakeLists.txt), and no
# sound. Included from src/CMakeLists.txt when building with emscripten.
#
# Everything the page needs ends up in one folder, ${FENNWICK_SITE_DIR}, ready to be served as
# it is: index.html (the page, its scripts and the SIMD build's WebAssembly), the favicon,
# fennwick.js.gz and fennwick.data.gz (the game's script and pictures, packed, shared by both
# builds), fennwick-plain.wasm.gz, inflate.js, the manifest and icons, the service worker. The
# linker writes the game unpacked into ${FENNWICK_LINK_DIR}.
set(FENNWICK_SITE_DIR ${PROJECT_BINARY_DIR}/site)
set(FENNWICK_LINK_DIR ${PROJECT_BINARY_DIR}/unpacked)

# Everything but the entry, as objects, so that the test build links the same code; and again
# on the plain core, for the page's plain build.
set(FENNWICK_WEB_SOURCES
  platform/web/gamepad_web.cpp
  platform/web/input_web.cpp
  platform/web/viewer_web.cpp
  platform/web/platform_web.cpp
  platform/web/settings_web.cpp platform/web/page_pointer.cpp
  platform/web/display_web.cpp
  platform/web/page_pointer.cpp
  platform/headless/sound_device_null.cpp
  ${FENNWICK_IMAGE_SOURCE}
)
add_library(fennwick_web OBJECT ${FENNWICK_WEB_SOURCES})
target_link_libraries(fennwick_web PUBLIC fennwick_core ${FENNWICK_IMAGE_LIBS})
add_library(fennwick_web_plain OBJECT ${FENNWICK_WEB_SOURCES})
target_link_libraries(fennwick_web_plain PUBLIC fennwick_core_plain ${FENNWICK_IMAGE_LIBS})
# Only putting the frame on the canvas is drawing; the rest is built for size, as in the core.
set_source_files_properties(platform/web/gamepad_web.cpp platform/web/main_web.cpp platform/web/input_web.cpp platform/web/viewer_web.cpp platform/web/platform_web.cpp platform/web/settings_web.cpp platform/web/page_pointer.cpp
                            platform/web/mouse_probe_web.cpp ${FENNWICK_IMAGE_SOURCE} PROPERTIES COMPILE_OPTIONS -Os)

# The pictures are packed beside the program and appear in its file system's top folder,
# where the game looks for them; nothing but the frame bitmaps goes in.
set(FENNWICK_ASSETS ${PROJECT_SOURCE_DIR}/assets)
file(GLOB FENNWICK_FRAME_FILES CONFIGURE_DEPENDS ${FENNWICK_ASSETS}/Stick*/*.bmp)
set(FENNWICK_PRELOAD)
foreach(folder StickStand StickRun StickJump StickFall)
  list(APPEND FENNWICK_PRELOAD "SHELL:--preload-file ${FENNWICK_ASSETS}/${folder}@/${folder}")
endforeach()

# This emscripten shortens the script's names only with a compiler it does not ship; Debian's
# terser does it instead, names the page reaches (Module and its properties) kept.
find_program(FENNWICK_NODE node REQUIRED)
execute_process(COMMAND ${CMAKE_COMMAND} -E env NODE_PATH=${FENNWICK_NODE_PATH} ${FENNWICK_NODE} -e "require('terser')"
                RESULT_VARIABLE FENNWICK_TERSER_MISSING OUTPUT_QUIET ERROR_QUIET)
if(FENNWICK_TERSER_MISSING)
  message(FATAL_ERROR "The web build needs terser (Debian: apt install node-terser), in ${FENNWICK_NODE_PATH}")
endif()
# zopfli packs in gzip's format, which every browser unpacks, 5 to 20 % smaller than gzip -9;
# zopflipng does the same for the icons, pixel for pixel.
find_program(FENNWICK_ZOPFLI zopfli)
find_program(FENNWICK_ZOPFLIPNG zopflipng)
if(NOT FENNWICK_ZOPFLI OR NOT FENNWICK_ZOPFLIPNG)
  message(FATAL_ERROR "The web build needs zopfli and zopflipng (Debian: apt install zopfli)")
endif()

# The page before the site's build writes the WebAssembly into it (below, with its scripts).
set(FENNWICK_PAGE_UNFILLED ${PROJECT_BINARY_DIR}/page/index.html)

# The game as TARGET, linked into LINK_DIR and packed into SITE_DIR under the names the page asks
# for (NAME.js and so on; fennwick unless NAME is given), with the page's ways in, EXPORTS, beside
# main; built on OBJECTS (fennwick_web unless given), with SOURCES more. Its pictures go in
# too, unless NO_DATA: the plain build's are the same bytes as the other's. IN_PAGE: its
# WebAssembly goes into SITE_DIR's index.html instead of beside it. SCRIPT_OF: it runs under
# that game's script (linked before it, into the same LINK_DIR), and ships none of its own.
function(fennwick_web_game target)
  cmake_parse_arguments(PARSE_ARGV 1 game "NO_DATA;IN_PAGE" "LINK_DIR;SITE_DIR;EXPORTS;NAME;OBJECTS;SCRIPT_OF" "SOURCES")
  if(NOT game_NAME)
    set(game_NAME fennwick)
  endif()
  if(NOT game_OBJECTS)
    set(game_OBJECTS fennwick_web)
  endif()
  set(link_dir ${game_LINK_DIR})
  set(site_dir ${game_SITE_DIR})
  set(exports ${game_EXPORTS})
  add_executable(${target} platform/web/main_web.cpp ${game_SOURCES})
  target_link_libraries(${target} PRIVATE ${game_OBJECTS})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${game_NAME} RUNTIME_OUTPUT_DIRECTORY ${link_dir})
  # The small allocator is enough for a game that allocates at start-up.
  target_link_options(${target} PRIVATE ${FENNWICK_PRELOAD} -sMALLOC=emmalloc
    -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1
    # Every browser that runs WebAssembly decodes text itself, and nothing here jumps with longjmp.
    -sTEXTDECODER=2 -sSUPPORT_LONGJMP=0
    # The script reads only the settings the page gives it (loader.js's Module) and the usual
    # hooks; the page's own properties (onGameState, recordedRun) are reached by name regardless.
    "SHELL:-sINCOMING_MODULE_JS_API=[canvas,arguments,preRun,postRun,setStatus,onAbort,onExit,instantiateWasm,locateFile,print,printErr,monitorRunDependencies,onRuntimeInitialized]"
    "SHELL:-sEXPORTED_FUNCTIONS=_main,${exports}"
    "SHELL:-sEXPORTED_RUNTIME_METHODS=FS,addRunDependency,removeRunDependency"
  )
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${FENNWICK_FRAME_FILES})
  # The script as linked, before it is shrunk, is what a build running under it is compared with.
  set(sharing COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> ${link_dir}/${game_NAME}.linked.js
              BYPRODUCTS ${link_dir}/${game_NAME}.linked.js)
  if(game_SCRIPT_OF)
    # Linked again whenever that script is: the names it gives the imports may have moved.
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${link_dir}/${game_SCRIPT_OF}.linked.js)
    set(sharing COMMAND ${FENNWICK_NODE} ${PROJECT_SOURCE_DIR}/web/same_script.js ${link_dir}/${game_SCRIPT_OF}.linked.js
                        $<TARGET_FILE:${target}> ${link_dir}/${game_NAME}.wasm)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    ${sharing}
    COMMAND ${CMAKE_COMMAND} -E env NODE_PATH=${FENNWICK_NODE_PATH}
            ${FENNWICK_NODE} ${PROJECT_SOURCE_DIR}/web/shrink_script.js $<TARGET_FILE:${target}>
    VERBATIM
  )
  # A player waits for every byte before the first frame, and a simple host sends files as they
  # are on disk: the game's three files go into the site gzip-packed (the mostly white bitmaps
  # to a fiftieth), and the page unpacks them with the browser's own DecompressionStream.
  set(packed)
  set(packing)
  set(files ${game_NAME}.wasm)
  if(NOT game_SCRIPT_OF)
    list(APPEND files ${game_NAME}.js)
  endif()
  if(NOT game_NO_DATA)
    list(APPEND files ${game_NAME}.data)
  endif()
  foreach(name IN LISTS files)
    set(into ${site_dir}/${name}.gz)
    if(game_IN_PAGE AND name STREQUAL ${game_NAME}.wasm)
      set(into ${link_dir}/${name}.gz)
    endif()
    list(APPEND packed ${into})
    list(APPEND packing COMMAND sh -c "\"$1\" -c \"$2\" >\"$3.part\" && mv \"$3.part\" \"$3\""
         pack ${FENNWICK_ZOPFLI} ${link_dir}/${name} ${into})
  endforeach()
  # The files unpacked, which older builds put in the site, are not to be served beside them,
  # nor the packed ones that now travel in the page or in the other build's files.
  add_custom_command(OUTPUT ${packed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${site_dir}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${site_dir}/${game_NAME}.js ${site_dir}/${game_NAME}.wasm ${site_dir}/${game_NAME}.data
            ${site_dir}/${game_NAME}.js.gz ${site_dir}/${game_NAME}.wasm.gz
    ${packing}
    DEPENDS ${target}
    VERBATIM
  )
  if(game_IN_PAGE)
    add_custom_command(OUTPUT ${site_dir}/index.html
      COMMAND ${FENNWICK_NODE} ${PROJECT_SOURCE_DIR}/web/page_bytes.js ${FENNWICK_PAGE_UNFILLED} ${link_dir}/${game_NAME}.wasm.gz
              ${site_dir}/index.html
      DEPENDS ${FENNWICK_PAGE_UNFILLED} ${link_dir}/${game_NAME}.wasm.gz ${PROJECT_SOURCE_DIR}/web/page_bytes.js
      VERBATIM
    )
    list(APPEND packed ${site_dir}/index.html)
  endif()
  add_custom_target(${target}-packed ALL DEPENDS ${packed})
  if(game_IN_PAGE)
    add_dependencies(${target}-packed fennwick-page)
  endif()
endfunction()

# The page reads the frame counter and learns how the game ended through these, and hands in its
# pointer, its touch controls, the settings panel and the demo viewer's bar.
fennwick_web_game(fennwick IN_PAGE LINK_DIR ${FENNWICK_LINK_DIR} SITE_DIR ${FENNWICK_SITE_DIR}
                  EXPORTS _fennwick_pointer,_fennwick_touch,_fennwick_pace,_fennwick_keys,_fennwick_pad_jump,_fennwick_pause,_fennwick_view)
# The same game without SIMD and bulk memory, for a browser that has neither: the page's head
# asks for this build's WebAssembly, which runs under the other's script.
fennwick_web_game(fennwick-plain NAME fennwick-plain OBJECTS fennwick_web_plain NO_DATA SCRIPT_OF fennwick
                  LINK_DIR ${FENNWICK_LINK_DIR} SITE_DIR ${FENNWICK_SITE_DIR}
                  EXPORTS _fennwick_pointer,_fennwick_touch,_fennwick_pace,_fennwick_keys,_fennwick_pad_jump,_fennwick_pause,_fennwick_view)
# The browser test's own build, never packaged: the same game, and the Mouse it cannot see
# otherwise. Only its three files are here; the test serves them beside the player's page.
if(FENNWICK_TESTS)
  fennwick_web_game(fennwick-e2e IN_PAGE LINK_DIR ${PROJECT_BINARY_DIR}/e2e-unpacked SITE_DIR ${PROJECT_BINARY_DIR}/site-e2e
                    EXPORTS _fennwick_pointer,_fennwick_touch,_fennwick_pace,_fennwick_keys,_fennwick_pad_jump,_fennwick_pause,_fennwick_view,_fennwick_mouse SOURCES platform/web/mouse_probe_web.cpp)
endif()

# The page itself, its scripts, its icons and its manifest, copied whenever they change. A name
# given more than once is one file of the site made of its sources in the order listed: the
# page's scripts are written into the page, in place of its <script src="page.js">. On a phone's
# connection each request waits a round trip (2 s on a slow one) before its first byte, while
# the page's own bytes arrive in the wait for the game's files, which its head asks for at once.
# inflate.js stays apart: only a browser without DecompressionStream asks for it.
# numbers.js is printed by the build (below) and comes first: every script after it reads it.
set(FENNWICK_PAGE_NUMBERS ${PROJECT_BINARY_DIR}/tools/numbers.js)
set(FENNWICK_PAGE_FILES
  index.html:web/index.html
  index.html:${FENNWICK_PAGE_NUMBERS}
  index.html:web/words.js
  index.html:web/share.js
  index.html:web/loader.js
  index.html:web/settings.js
  index.html:web/controls.js
  index.html:web/viewer.js
  index.html:web/offline.js
  favicon.png:assets/icons/fennwick32.png
  inflate.js:web/inflate.js
  manifest.json:web/manifest.json
  icon-192.png:assets/icons/fennwick192.png
  icon-512.png:assets/icons/fennwick512.png
)
set(FENNWICK_PAGE_NAMES)
set(FENNWICK_PAGE_SOURCES)
foreach(pair IN LISTS FENNWICK_PAGE_FILES)
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 name)
  list(GET pair 1 source)
  string(MAKE_C_IDENTIFIER "${name}" id)
  if(NOT name IN_LIST FENNWICK_PAGE_NAMES)
    list(APPEND FENNWICK_PAGE_NAMES ${name})
    set(FENNWICK_PAGE_FROM_${id})
  endif()
  if(NOT IS_ABSOLUTE "${source}")
    set(source ${PROJECT_SOURCE_DIR}/${source})
  endif()
  list(APPEND FENNWICK_PAGE_FROM_${id} ${source})
  list(APPEND FENNWICK_PAGE_SOURCES ${source})
endforeach()
set(FENNWICK_PAGE_OUTPUTS)
set(FENNWICK_PAGE_COPIES)
foreach(name IN LISTS FENNWICK_PAGE_NAMES)
  string(MAKE_C_IDENTIFIER "${name}" id)
  set(into ${FENNWICK_SITE_DIR}/${name})
  if(name STREQUAL index.html)
    set(into ${FENNWICK_PAGE_UNFILLED})
  endif()
  list(APPEND FENNWICK_PAGE_OUTPUTS ${into})
  # The page's scripts travel without their comments and long names, as the game's does.
  if(name MATCHES "\\.(js|html)$")
    list(APPEND FENNWICK_PAGE_COPIES COMMAND ${CMAKE_COMMAND} -E env NODE_PATH=${FENNWICK_NODE_PATH}
         ${FENNWICK_NODE} ${PROJECT_SOURCE_DIR}/web/shrink_script.js --page ${FENNWICK_PAGE_FROM_${id}}
         ${into})
  elseif(name MATCHES "\\.png$")
    list(APPEND FENNWICK_PAGE_COPIES COMMAND sh -c "\"$1\" -y \"$2\" \"$3\" >/dev/null" pack ${FENNWICK_ZOPFLIPNG}
         ${FENNWICK_PAGE_FROM_${id}} ${into})
  else()
    list(APPEND FENNWICK_PAGE_COPIES COMMAND ${CMAKE_COMMAND} -E copy ${FENNWICK_PAGE_FROM_${id}} ${into})
  endif()
endforeach()
# The scripts older builds put in the site beside the page are not to be served (or kept offline).
add_custom_command(
  OUTPUT ${FENNWICK_PAGE_OUTPUTS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${FENNWICK_SITE_DIR} ${PROJECT_BINARY_DIR}/page
  COMMAND ${CMAKE_COMMAND} -E rm -f ${FENNWICK_SITE_DIR}/numbers.js ${FENNWICK_SITE_DIR}/words.js ${FENNWICK_SITE_DIR}/share.js ${FENNWICK_SITE_DIR}/loader.js ${FENNWICK_SITE_DIR}/settings.js
          ${FENNWICK_SITE_DIR}/controls.js ${FENNWICK_SITE_DIR}/viewer.js ${FENNWICK_SITE_DIR}/offline.js ${FENNWICK_SITE_DIR}/page.js
  ${FENNWICK_PAGE_COPIES}
  DEPENDS ${FENNWICK_PAGE_SOURCES} ${PROJECT_SOURCE_DIR}/web/shrink_script.js
  VERBATIM
)
# The numbers the page shares with the game (page_numbers.h) reach its scripts as numbers.js,
# printed by the game's own tables under Node, so that each is written once.
add_executable(fennwick-page-numbers ${PROJECT_SOURCE_DIR}/tools/page_numbers/page_numbers.cpp)
target_link_libraries(fennwick-page-numbers PRIVATE fennwick_core)
set_target_properties(fennwick-page-numbers PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tools)
target_link_options(fennwick-page-numbers PRIVATE -sENVIRONMENT=node -sWASM_ASYNC_COMPILATION=0 -sEXIT_RUNTIME=1)
add_custom_command(
  OUTPUT ${FENNWICK_PAGE_NUMBERS}
  COMMAND sh -c "\"$1\" \"$2\" >\"$3\"" numbers ${FENNWICK_NODE} $<TARGET_FILE:fennwick-page-numbers> ${FENNWICK_PAGE_NUMBERS}
  DEPENDS fennwick-page-numbers
  VERBATIM
)
add_custom_target(fennwick-page ALL DEPENDS ${FENNWICK_PAGE_OUTPUTS})
add_dependencies(fennwick fennwick-page)

# The service worker that keeps the site for play offline lists every file of the finished site
# and is versioned by their contents: written after everything else, on every build. So this is
# the target that makes the whole site (scripts/play-web.sh builds it).
add_custom_target(fennwick-site ALL
  COMMAND ${CMAKE_COMMAND} -DSITE=${FENNWICK_SITE_DIR} -DTEMPLATE=${PROJECT_SOURCE_DIR}/web/sw.js.in
          -P ${PROJECT_SOURCE_DIR}/cmake/service_worker.cmake
  VERBATIM
)
add_dependencies(fennwick-site fennwick-packed fennwick-plain-packed fennwick-page)
