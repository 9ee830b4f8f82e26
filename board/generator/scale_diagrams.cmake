# The board's scale diagrams are drawn at build time by make_scale_diagrams from the scale catalogue
# and the preview keyboard's own key layout, one picture per scale and key, into
# "assets/images/scales" beside the executable.
add_executable(make_scale_diagrams ${PROJECT_SOURCE_DIR}/board/generator/make_scale_diagrams.cpp)
target_link_libraries(make_scale_diagrams PRIVATE tonvarra_theory tonvarra_platform)

set(tonvarra_diagram_dir ${CMAKE_BINARY_DIR}/assets/images/scales)
set(tonvarra_diagram_stamp ${CMAKE_BINARY_DIR}/generated/scale_diagrams.stamp)
add_custom_command(
  OUTPUT ${tonvarra_diagram_stamp}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${tonvarra_diagram_dir} ${CMAKE_BINARY_DIR}/generated
  COMMAND make_scale_diagrams ${tonvarra_diagram_dir}
  COMMAND ${CMAKE_COMMAND} -E touch ${tonvarra_diagram_stamp}
  DEPENDS make_scale_diagrams
  COMMENT "Drawing the scale diagrams"
  VERBATIM)
add_custom_target(tonvarra_scale_diagrams ALL DEPENDS ${tonvarra_diagram_stamp})
add_dependencies(tonvarra tonvarra_scale_diagrams)
