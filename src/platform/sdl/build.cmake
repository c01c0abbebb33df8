# The Linux and macOS game: SDL window and event loop, presentation through an SDL streaming
# texture, SDL's BMP loader (picked in CMakeLists.txt) and an SDL audio device. Included from
# src/CMakeLists.txt on every build that is not for Windows.

# Everything but the entry, as objects so that the tests can link the same code.
add_library(fennwick_sdl OBJECT
  platform/sdl/gamepad_sdl.cpp
  platform/sdl/platform_sdl.cpp
  platform/sdl/sdl_events.cpp
  platform/sdl/sdl_keys.cpp
  platform/sdl/sdl_workarounds.cpp
  platform/sdl/display_sdl.cpp
  platform/sdl/sound_device_sdl.cpp
  ${FENNWICK_IMAGE_SOURCE}
)
target_link_libraries(fennwick_sdl PUBLIC fennwick_core SDL2::SDL2 ${CMAKE_DL_LIBS})

add_executable(fennwick platform/sdl/main_sdl.cpp)
target_link_libraries(fennwick PRIVATE fennwick_sdl)

# The same game with the end-to-end test's pad, which needs SDL 2.24's virtual joysticks: never
# installed, never packaged, and kept out of what players get so that the game runs on older SDL.
# The pad sits between the game's loop and SDL (virtual_pad_sdl.h), where a linker that can
# wrap a call puts it.
if(FENNWICK_TESTS AND NOT CMAKE_CROSSCOMPILING AND NOT APPLE)
  add_executable(fennwick-e2e platform/sdl/main_sdl.cpp platform/sdl/virtual_pad_sdl.cpp)
  target_link_libraries(fennwick-e2e PRIVATE fennwick_sdl)
  target_link_options(fennwick-e2e PRIVATE -Wl,--wrap=SDL_PollEvent)
endif()

# The key mapping and the sound device, tested without a window. Registered here rather than
# in tests/ because they exist only in this build.
if(FENNWICK_TESTS AND NOT CMAKE_CROSSCOMPILING)
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_executable(sdl_platform_test
    ${PROJECT_SOURCE_DIR}/tests/app/sdl_keys_test.cpp
    ${PROJECT_SOURCE_DIR}/tests/sound/sound_device_sdl_test.cpp
  )
  target_link_libraries(sdl_platform_test PRIVATE fennwick_sdl GTest::gtest_main)
  gtest_discover_tests(sdl_platform_test DISCOVERY_TIMEOUT 30)
endif()
