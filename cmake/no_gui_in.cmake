# zov_forbid_gui_libraries(target): at the end of the configure, when every
# target is known, walks what `target` links, its own libraries and theirs,
# and stops the configure when a Qt GUI library (Gui, Widgets, or anything
# built on them) is among them.

function(_zov_collect_links target out_var)
  set(seen ${${out_var}})
  if(target IN_LIST seen)
    return()
  endif()
  list(APPEND seen ${target})
  if(TARGET ${target})
    get_target_property(aliased ${target} ALIASED_TARGET)
    if(aliased)
      _zov_collect_links(${aliased} seen)
    endif()
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(links ${target} ${property})
      if(links)
        foreach(link IN LISTS links)
          string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
          if(NOT link MATCHES "^\\$<")
            _zov_collect_links(${link} seen)
          endif()
        endforeach()
      endif()
    endforeach()
  endif()
  set(${out_var} ${seen} PARENT_SCOPE)
endfunction()

function(zov_check_no_gui target)
  set(links "")
  _zov_collect_links(${target} links)
  foreach(link IN LISTS links)
    if(link MATCHES "Qt6::(Gui|Widgets|OpenGL|Charts|PrintSupport|Svg)"
       OR link MATCHES "^zov_(app|widgets|supply|config|season|records)$")
      message(FATAL_ERROR "${target} must not link a GUI library, but links ${link}")
    endif()
  endforeach()
endfunction()

function(zov_forbid_gui_libraries target)
  # Deferred arguments are expanded when the call runs: the name goes in now.
  cmake_language(EVAL CODE
    "cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]] CALL zov_check_no_gui [[${target}]])")
endfunction()

# zov_test_no_gui_needed(target): a test that reads the built program's
# dynamic section and fails when it needs a Qt GUI library, whatever the
# configure check above saw.
function(zov_test_no_gui_needed target)
  add_test(NAME ${target}_needs_no_gui
    COMMAND sh -c "readelf -d \"$1\" | grep NEEDED && ! readelf -d \"$1\" | grep -qE 'libQt6(Gui|Widgets|OpenGL)'"
            sh $<TARGET_FILE:${target}>)
endfunction()
