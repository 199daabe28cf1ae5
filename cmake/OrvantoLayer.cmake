# One library target per source folder. A layer names the layers it builds
# on, so an include that goes the wrong way fails to link.
#
#   orvanto_layer(support DEPENDS orvanto_platform Qt6::Core ZLIB::ZLIB)
#
# The sources are the .cpp and .h files of the calling folder (not of its
# sub-folders, which are layers of their own). A file named main.cpp is left
# out so that a folder can also hold the executable that uses the layer.
function(orvanto_layer name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  foreach(excluded IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  set(target orvanto_${name})
  add_library(${target} STATIC ${sources})
  set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${target} PUBLIC ${ARG_DEPENDS})
  set_property(GLOBAL APPEND PROPERTY ORVANTO_LAYER_TARGETS ${target})
endfunction()

# Everything built so far, for the tools, tests, benchmarks and fuzzers.
function(orvanto_link_all target)
  get_property(layers GLOBAL PROPERTY ORVANTO_LAYER_TARGETS)
  target_link_libraries(${target} PRIVATE ${layers})
endfunction()
