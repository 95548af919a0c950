# The DLLs that a Windows build of the program loads, copied beside the
# programs in the build folder and installed beside ratemill.exe in the
# portable archive.
#
# The build folder is the program's folder on every platform, so on Windows
# it holds what Windows looks for beside an executable: the Qt DLLs, the
# compiler's runtime DLLs and Qt's plugin folders. The program and the window
# tests then start there as they start from the unpacked archive, without a
# search path set by hand.

# The compiler's runtime DLLs: where the compiler finds its libraries (Debian's
# cross compilers), else beside the compiler itself (MSYS2, Qt's MinGW kit).
# A compiler that is not GCC has none of these.
function(ratemill_find_compiler_dlls out)
  set(_dlls)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  get_filename_component(_compiler_dir "${CMAKE_CXX_COMPILER}" DIRECTORY)
  foreach(_name libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${_name}
                    OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT (_path AND IS_ABSOLUTE "${_path}" AND EXISTS "${_path}"))
      set(_path "${_compiler_dir}/${_name}")
    endif()
    if(EXISTS "${_path}")
      get_filename_component(_path "${_path}" REALPATH)
      list(APPEND _dlls "${_path}")
    else()
      message(WARNING "The compiler's runtime DLL ${_name} was not found; the program's folder and the "
                      "portable archive lack it")
    endif()
  endforeach()
  set(${out} ${_dlls} PARENT_SCOPE)
endfunction()

# Sets up the target `ratemill_runtime_dlls`, which copies the DLLs into the
# build folder, and the install rules of the component `component` that put
# the program's share of them into `destination`.
function(ratemill_windows_runtime component destination)
  ratemill_find_compiler_dlls(_compiler_dlls)

  # Qt's libraries the program links, and the test library for the window tests.
  set(_program_qt Qt6::Core Qt6::Gui Qt6::Widgets)
  set(_test_qt)
  if(TARGET Qt6::Test)
    list(APPEND _test_qt Qt6::Test)
  endif()

  # Plugins by folder. The program needs the platform plugin of the Windows
  # desktop and, where Qt has it, the native style; the window tests run on
  # the offscreen platform.
  set(_program_plugins)
  set(_test_plugins)
  if(TARGET Qt6::QWindowsIntegrationPlugin)
    list(APPEND _program_plugins "platforms|Qt6::QWindowsIntegrationPlugin")
  else()
    message(FATAL_ERROR "Qt has no Windows platform plugin (Qt6::QWindowsIntegrationPlugin)")
  endif()
  if(TARGET Qt6::QWindowsVistaStylePlugin)
    list(APPEND _program_plugins "styles|Qt6::QWindowsVistaStylePlugin")
  endif()
  if(TARGET Qt6::QOffscreenIntegrationPlugin)
    list(APPEND _test_plugins "platforms|Qt6::QOffscreenIntegrationPlugin")
  endif()

  set(_commands)
  foreach(_dll ${_compiler_dlls})
    list(APPEND _commands COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_dll} ${CMAKE_BINARY_DIR}/)
  endforeach()
  foreach(_target ${_program_qt} ${_test_qt})
    list(APPEND _commands COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${_target}> ${CMAKE_BINARY_DIR}/)
  endforeach()
  foreach(_entry ${_program_plugins} ${_test_plugins})
    string(REPLACE "|" ";" _entry "${_entry}")
    list(GET _entry 0 _folder)
    list(GET _entry 1 _target)
    list(APPEND _commands
         COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/${_folder}
         COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${_target}> ${CMAKE_BINARY_DIR}/${_folder}/)
  endforeach()
  add_custom_target(ratemill_runtime_dlls ALL ${_commands}
                    COMMENT "Copying the Qt and compiler runtime DLLs into the program's folder" VERBATIM)

  install(FILES ${_compiler_dlls} DESTINATION ${destination} COMPONENT ${component} EXCLUDE_FROM_ALL)
  # The compiler's DLLs come with their debugging sections (libstdc++ is about
  # 23 MB so, 2 MB without); the archive strips them like the program.
  if(CMAKE_STRIP)
    foreach(_dll ${_compiler_dlls})
      get_filename_component(_name "${_dll}" NAME)
      install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}/${_name}\")
endif()" COMPONENT ${component} EXCLUDE_FROM_ALL)
    endforeach()
  endif()
  foreach(_target ${_program_qt})
    install(FILES $<TARGET_FILE:${_target}> DESTINATION ${destination} COMPONENT ${component} EXCLUDE_FROM_ALL)
  endforeach()
  foreach(_entry ${_program_plugins})
    string(REPLACE "|" ";" _entry "${_entry}")
    list(GET _entry 0 _folder)
    list(GET _entry 1 _target)
    install(FILES $<TARGET_FILE:${_target}> DESTINATION ${destination}/${_folder} COMPONENT ${component}
            EXCLUDE_FROM_ALL)
  endforeach()
endfunction()
