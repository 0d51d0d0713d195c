# tovisca_plain_layer(target): the target's sources may include no Qt GUI,
# Widgets or Charts header. Qt's include root is on the path of every Qt
# target, so <QtWidgets/QWidget> would otherwise compile in a QtCore-only
# library; the check runs before the target's sources compile and fails the build.
function(tovisca_plain_layer target)
  get_target_property(sources ${target} SOURCES)
  get_target_property(dir ${target} SOURCE_DIR)
  set(files "")
  foreach(src IN LISTS sources)
    cmake_path(ABSOLUTE_PATH src BASE_DIRECTORY ${dir})
    list(APPEND files ${src})
    string(REGEX REPLACE "\\.cpp$" ".h" header ${src})
    if(EXISTS ${header})
      list(APPEND files ${header})
    endif()
  endforeach()
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.layer-checked)
  list(JOIN files "|" joined)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DSTAMP=${stamp} "-DFILES=${joined}"
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckPlainLayer.cmake
    DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/CheckPlainLayer.cmake
    COMMENT "Checking that ${target} includes no GUI header"
    VERBATIM)
  add_custom_target(${target}_layer DEPENDS ${stamp})
  add_dependencies(${target} ${target}_layer)
endfunction()
