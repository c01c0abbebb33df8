# The Windows game: Win32 window and loop, Direct3D 9 presentation, GDI+ bitmaps (picked in
# CMakeLists.txt), DirectSound 8. Included from src/CMakeLists.txt when building for WIN32.
set(FENNWICK_RESOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR}/platform/win32/resources)
set(FENNWICK_ICON_DIR ${PROJECT_SOURCE_DIR}/assets/icons CACHE PATH "Folder holding fennwick16.ico and fennwick32.ico")

add_executable(fennwick WIN32
  platform/win32/gamepad_xinput.cpp
  platform/win32/input_win32.cpp
  platform/win32/main_win32.cpp
  platform/win32/platform_win32.cpp
  platform/win32/win32_workarounds.cpp
  platform/win32/display_d3d9.cpp
  platform/win32/sound_device_dsound.cpp
  ${FENNWICK_IMAGE_SOURCE}
  platform/win32/resources/fennwick.rc
)
# winmm: the one-millisecond timer that lets the loop sleep to the frame's deadline.
target_link_libraries(fennwick PRIVATE fennwick_core d3d9 dsound winmm shell32 ${FENNWICK_IMAGE_LIBS})

# The resource compiler finds the icons and the manifest by name on the include path; the
# build reruns it when either changes.
target_include_directories(fennwick PRIVATE ${FENNWICK_RESOURCE_DIR} ${FENNWICK_ICON_DIR})
set_source_files_properties(platform/win32/resources/fennwick.rc PROPERTIES
  OBJECT_DEPENDS "${FENNWICK_ICON_DIR}/fennwick16.ico;${FENNWICK_ICON_DIR}/fennwick32.ico;${FENNWICK_RESOURCE_DIR}/fennwick.manifest"
)

if(MSVC)
  # The manifest is in the resources already; a second one from the linker would collide.
  target_link_options(fennwick PRIVATE /MANIFEST:NO)
else()
  # wWinMain, and a program that needs no runtime DLL beside it.
  target_link_options(fennwick PRIVATE -municode -static -static-libgcc -static-libstdc++)
endif()
