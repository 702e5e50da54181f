# What the mapping filter plug-ins (Swirl, Implode, Undulo) share: the
# bilinear sampler, the run helpers and the preview pane, as one static
# library, and the glue around their dialogs as another.
include_guard(GLOBAL)

add_library(mapping_plugin_common STATIC
  ${CMAKE_CURRENT_LIST_DIR}/bilinear.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mapping_run.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preview_pane.cpp)
target_include_directories(mapping_plugin_common PUBLIC
  ${CMAKE_CURRENT_LIST_DIR}
  ${CMAKE_SOURCE_DIR}/effects/plugin-interface)
target_link_libraries(mapping_plugin_common PUBLIC user32)
# The mapping arithmetic uses SSE2 doubles: exact double rounding at every
# step and cheap conversions between doubles and integers.  The plug-ins
# offer no filter on a processor without SSE2.
target_compile_options(mapping_plugin_common PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-msse2 -mfpmath=sse>)

# The exports' bookkeeping and the run protocol of the mapping plug-ins.
# The arithmetic is built for SSE2; without it a plug-in offers no filter
# (processor.cpp, built without SSE2, tells).
add_library(mapping_plugin_glue STATIC ${CMAKE_CURRENT_LIST_DIR}/mapping_plugin.cpp
  ${CMAKE_CURRENT_LIST_DIR}/processor.cpp)
target_link_libraries(mapping_plugin_glue PUBLIC mapping_plugin_common comctl32)

# mapping_filter_core(target sources...): a filter's arithmetic as a static
# library for the plug-in, the tests and the benchmark.
function(mapping_filter_core target)
  add_library(${target} STATIC ${ARGN})
  target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC mapping_plugin_common)
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-msse2 -mfpmath=sse>)
endfunction()
